#include "sim/ui/terminal_layout.h"

#include <gtest/gtest.h>

#include "platform/ui.h"

namespace tunora::sim {
namespace {

TEST(TerminalLayout, DialogUnitsToCells) {
  struct Case {
    int x, y, width, height;
    CellRect cells;
  };
  const Case cases[] = {
      {0, 0, 4, 8, {0, 0, 1, 1}},        {7, 7, 177, 102, {1, 0, 44, 12}},  // a picture
      {191, 77, 62, 14, {47, 9, 15, 1}},                                    // a push button
      {198, 18, 48, 36, {49, 2, 12, 4}},                                    // a centred static
      {191, 59, 62, 10, {47, 7, 15, 1}},                                    // a sunken static
      {8, 16, 3, 7, {2, 2, 1, 1}},  // smaller than a cell still takes one
      {3, 15, 0, 0, {0, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << "," << c.width << "," << c.height);
    EXPECT_EQ(DialogUnitsToCells(c.x, c.y, c.width, c.height), c.cells);
  }
}

TEST(TerminalLayout, FramesAreCentredAndStayOnScreen) {
  // 260 x 115 units: 65 x 14 cells of client area, 67 x 16 with the border.
  EXPECT_EQ(DialogFrame(260, 115, 80, 23), (CellRect{6, 3, 67, 16}));
  EXPECT_EQ(DialogFrame(260, 115, 67, 16), (CellRect{0, 0, 67, 16}));
  EXPECT_EQ(DialogFrame(260, 115, 40, 10), (CellRect{0, 0, 67, 16}));
  EXPECT_EQ(CentredFrame(10, 3, 81, 24), (CellRect{34, 9, 12, 5}));
}

TEST(TerminalLayout, WrapText) {
  struct Case {
    std::string_view text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"Quillex Video Card", 12, {"Quillex", "Video Card"}},
      {"NO SUPPORTED\nCARD FOUND", 20, {"NO SUPPORTED", "CARD FOUND"}},
      {"a\n\nb", 5, {"a", "", "b"}},
      {"", 5, {""}},
      {"  -- NONE --", 20, {"  -- NONE --"}},
      {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
      {"one two three", 7, {"one two", "three"}},
      {"x", 0, {"x"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(WrapText(c.text, c.width), c.lines);
  }
}

TEST(TerminalLayout, AlignText) {
  EXPECT_EQ(AlignText("ab", 6, Align::kLeft), "ab    ");
  EXPECT_EQ(AlignText("ab", 6, Align::kCentre), "  ab  ");
  EXPECT_EQ(AlignText("ab", 5, Align::kCentre), " ab  ");
  EXPECT_EQ(AlignText("ab", 6, Align::kRight), "    ab");
  EXPECT_EQ(AlignText("abcdef", 3, Align::kRight), "abc");
  EXPECT_EQ(AlignText("ab", -1, Align::kLeft), "");
}

TEST(TerminalLayout, StripMnemonic) {
  EXPECT_EQ(StripMnemonic("&About Tunora_Util"), "About Tunora_Util");
  EXPECT_EQ(StripMnemonic("Save && Exit"), "Save & Exit");
  EXPECT_EQ(StripMnemonic("trailing&"), "trailing&");
  EXPECT_EQ(StripMnemonic("Tweak"), "Tweak");
}

TEST(TerminalLayout, BarPositions) {
  EXPECT_EQ(ThumbColumn(0, 120, 0, 31), 0);
  EXPECT_EQ(ThumbColumn(0, 120, 120, 31), 30);
  EXPECT_EQ(ThumbColumn(0, 120, 60, 31), 15);
  EXPECT_EQ(ThumbColumn(0, 120, 500, 31), 30);  // beyond the range: at the end
  EXPECT_EQ(ThumbColumn(-10, 10, 0, 21), 10);
  EXPECT_EQ(ThumbColumn(5, 5, 5, 10), 0);  // empty range
  EXPECT_EQ(FilledCells(0, 120, 0, 30), 0);
  EXPECT_EQ(FilledCells(0, 120, 60, 30), 15);
  EXPECT_EQ(FilledCells(0, 120, 120, 30), 30);
  EXPECT_EQ(FilledCells(0, 120, -5, 30), 0);
  EXPECT_EQ(FilledCells(0, 0, 0, 30), 0);
}

TEST(TerminalLayout, MessageBoxLayout) {
  const MessageBoxLayout layout =
      LayoutMessageBox("Reboot Aborted!\n\nERROR: Your driver may not be properly installed!",
                       "Tunora", kMbYesNo | kMbIconError, 80, 23);
  EXPECT_EQ(layout.icon, "(x)");
  EXPECT_EQ(layout.lines,
            (std::vector<std::string>{"Reboot Aborted!", "",
                                      "ERROR: Your driver may not be properly installed!"}));
  EXPECT_EQ(layout.labels, (std::vector<std::string>{"[ Yes ]", "[ No ]"}));
  EXPECT_EQ(layout.buttons, (std::vector<int>{kIdYes, kIdNo}));
  // Icon "(x) " and the 49-column longest line; 2 cells of border and padding each side.
  const int content = 4 + 49;
  EXPECT_EQ(layout.frame.width, content + 4);
  EXPECT_EQ(layout.frame.height, 3 + 5);
  EXPECT_EQ(layout.frame.x, (80 - layout.frame.width) / 2);
  EXPECT_EQ(layout.text_x, layout.icon_x + 4);
  EXPECT_EQ(layout.text_y, layout.frame.y + 2);
  EXPECT_EQ(layout.button_y, layout.text_y + 4);
  // The buttons, two apart, centred under the text.
  const int buttons_width = 7 + 2 + 6;
  EXPECT_EQ(layout.button_x[0], layout.frame.x + 2 + (content - buttons_width) / 2);
  EXPECT_EQ(layout.button_x[1], layout.button_x[0] + 9);
}

TEST(TerminalLayout, MessageBoxWrapsLongTextAndFitsTheCaption) {
  const std::string text(150, 'w');
  const MessageBoxLayout wide = LayoutMessageBox(text, "Caption", kMbOk, 200, 40);
  EXPECT_EQ(wide.lines.size(), 3u);  // 60 columns a line
  EXPECT_TRUE(wide.icon.empty());
  EXPECT_EQ(wide.labels, std::vector<std::string>{"[ OK ]"});
  const MessageBoxLayout narrow = LayoutMessageBox("Hi", "A rather long caption", kMbOk, 80, 24);
  EXPECT_EQ(narrow.frame.width, 21 + 2 + 4);
}

TEST(TerminalLayout, MessageBoxButtonTexts) {
  EXPECT_EQ(MessageBoxButtonText(kIdOk), "OK");
  EXPECT_EQ(MessageBoxButtonText(kIdCancel), "Cancel");
  EXPECT_EQ(MessageBoxButtonText(kIdYes), "Yes");
  EXPECT_EQ(MessageBoxButtonText(kIdNo), "No");
}

}  // namespace
}  // namespace tunora::sim
