#include "sim/ui/terminal_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ui.h"
#include "sim/ui/terminal_picture.h"
#include "sim/ui/terminal_ui.h"

namespace tunora::sim {
namespace {

TEST(TerminalLayout, DialogUnitsToCells) {
  struct Case {
    int x, y, width, height;
    CellRect cells;
  };
  // Each edge goes to its nearest cell boundary.
  const Case cases[] = {
      {0, 0, 4, 8, {0, 0, 1, 1}},         {7, 7, 177, 102, {2, 1, 44, 13}},  // a picture
      {191, 77, 62, 14, {48, 10, 15, 1}},                                    // a push button
      {198, 18, 48, 36, {50, 2, 12, 5}},                                     // a centred static
      {191, 59, 62, 10, {48, 7, 15, 2}},                                     // a sunken static
      {8, 16, 3, 7, {2, 2, 1, 1}},  // smaller than a cell still takes one
      {3, 15, 0, 0, {1, 2, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.x << "," << c.y << "," << c.width << "," << c.height);
    EXPECT_EQ(DialogUnitsToCells(c.x, c.y, c.width, c.height), c.cells);
  }
  // Group boxes that touch in dialog units touch in cells, without overlap.
  const CellRect upper = DialogUnitsToCells(7, 7, 132, 61);
  const CellRect lower = DialogUnitsToCells(7, 69, 132, 38);
  EXPECT_EQ(upper.y + upper.height, lower.y);
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

TEST(TerminalLayout, ButtonFacesAndTrackbarColumns) {
  EXPECT_EQ(ButtonFace("Apply", 12), "[ Apply ]");
  EXPECT_EQ(ButtonFace("Reset All", 12), "[Reset All]");
  EXPECT_EQ(ButtonFace("Reset All", 9), "Reset All");
  EXPECT_EQ(ButtonFace("Generate", 4), "Gene");
  // A click on the column a position's thumb is drawn in gives it back.
  for (const int position : {0, 7, 60, 119, 120}) {
    EXPECT_EQ(PositionAtColumn(0, 120, ThumbColumn(0, 120, position, 121), 121), position);
  }
  EXPECT_EQ(PositionAtColumn(0, 120, 15, 31), 60);
  EXPECT_EQ(PositionAtColumn(10, 20, -3, 31), 10);
  EXPECT_EQ(PositionAtColumn(10, 20, 99, 31), 20);
  EXPECT_EQ(PositionAtColumn(5, 5, 3, 31), 5);
}

// Seven pages of the tweak sheet's size (280 x 114 units, frame 288 wide).
const std::vector<std::string> kTitles = {
    "Quillex", "AGP", "D3D", "OpenGL", "Monitor Profile", "Clock Tweak", "Miscellaneous"};

TEST(TerminalLayout, SheetFitsEightyByTwentyFive) {
  const SheetLayout layout = LayoutSheet(kTitles, 280, 114, 288, 80, 24);
  // 70 x 14 cells of page, its box, a blank column each side; two tab
  // rows and the button row; the border.
  EXPECT_EQ(layout.frame, (CellRect{2, 1, 76, 21}));
  EXPECT_TRUE(FitsScreen(layout.frame, 80, 25));
  EXPECT_FALSE(FitsScreen(layout.frame, 80, 21));
  EXPECT_FALSE(FitsScreen(layout.frame, 75, 25));
  EXPECT_EQ(layout.tab_top, 2);
  EXPECT_EQ(layout.tab_row, 3);
  EXPECT_EQ(layout.page_box, (CellRect{4, 4, 72, 16}));
  EXPECT_EQ(layout.page, (CellRect{5, 5, 70, 14}));
  EXPECT_EQ(layout.button_row, 20);
  // Titles without padding (padded ones would not fit), edges shared.
  ASSERT_EQ(layout.tabs.size(), kTitles.size());
  EXPECT_EQ(layout.tabs[0].left, layout.page_box.x);
  for (std::size_t i = 0; i < kTitles.size(); ++i) {
    EXPECT_EQ(layout.tabs[i].label, kTitles[i]);
    EXPECT_EQ(layout.tabs[i].right - layout.tabs[i].left, static_cast<int>(kTitles[i].size()) + 1);
    if (i > 0) {
      EXPECT_EQ(layout.tabs[i].left, layout.tabs[i - 1].right);
    }
  }
  EXPECT_EQ(layout.tabs.back().right, 4 + 58 + 7);
}

TEST(TerminalLayout, SheetTabLabelsShrinkToFit) {
  const SheetLayout few = LayoutSheet({"A", "Bc"}, 280, 114, 288, 80, 24);
  EXPECT_EQ(few.tabs[0].label, " A ");
  EXPECT_EQ(few.tabs[1].label, " Bc ");
  const SheetLayout narrow = LayoutSheet(kTitles, 200, 40, 208, 80, 24);
  int end = narrow.tabs.back().right;
  EXPECT_LE(end, narrow.page_box.x + narrow.page_box.width - 1);
  EXPECT_EQ(narrow.tabs[1].label, "AGP");  // short titles stay whole
  EXPECT_LT(narrow.tabs[4].label.size(), kTitles[4].size());
}

TEST(TerminalLayout, PicturesFillTheirCells) {
  struct Case {
    std::string_view resource;
    int width, height;
    bool unicode;
    std::wstring_view contains;
  };
  const Case cases[] = {
      {"#131", 44, 13, true, L"Quillex"}, {"#131", 44, 13, false, L"Quillex"},
      {"#131", 20, 5, true, L"Quillex"},  {"#132", 5, 3, true, L"Q"},
      {"#128", 5, 2, false, L"Q"},        {"#131", 3, 1, true, L"[Q]"},
      {"#999", 4, 2, false, L"...."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.resource << " " << c.width << "x" << c.height);
    const std::vector<std::wstring> rows = PictureCells(c.resource, c.width, c.height, c.unicode);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(c.height));
    bool found = false;
    for (const std::wstring& row : rows) {
      EXPECT_EQ(row.size(), static_cast<std::size_t>(c.width));
      found = found || row.find(c.contains) != std::wstring::npos;
      // ASCII screens get nothing but ASCII.
      const bool ascii = std::all_of(row.begin(), row.end(), [](wchar_t ch) { return ch < 0x80; });
      EXPECT_TRUE(c.unicode || ascii);
    }
    EXPECT_TRUE(found);
  }
  EXPECT_EQ(GlyphChar(Glyph::kTeeUp, true), L'\u2534');
  EXPECT_EQ(GlyphChar(Glyph::kTeeUp, false), L'+');
  EXPECT_EQ(GlyphChar(Glyph::kVertical, false), L'|');
}

// A label rounding left a cell short of its text takes the cell its left
// edge lies in; labels that fit stay where rounding put them.
TEST(TerminalLayout, OneLineLabelsShowTheirWholeText) {
  struct Case {
    const char* text;
    int x, width;
    CellRect cells;
  };
  const Case cases[] = {
      {"SubImage Cache (KB):", 14, 79, {3, 0, 20, 1}},
      {"Short", 14, 79, {4, 0, 19, 1}},
      {"Exactly nineteen ch", 14, 79, {4, 0, 19, 1}},
      {"Too long for the cells anyway", 16, 20, {4, 0, 5, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ControlState label;
    label.kind = ControlKind::kStatic;
    label.text = c.text;
    label.x = c.x;
    label.width = c.width;
    label.height = 8;
    const CellRect cells = ControlCells(label);
    EXPECT_EQ(cells.x, c.cells.x);
    EXPECT_EQ(cells.width, c.cells.width);
  }
}

TEST(TerminalLayout, WaitLineCountsUpOrDown) {
  struct Case {
    long long waited;
    std::uint32_t expected_ms;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, "Please wait..."},
      {3, 0, "Please wait... 3 s"},
      {0, 10000, "Please wait... 10 s left"},
      {3, 10000, "Please wait... 7 s left"},
      {12, 10000, "Please wait... 0 s left"},
      {0, 1500, "Please wait... 2 s left"},
  };
  for (const Case& c : cases) EXPECT_EQ(WaitLineText(c.waited, c.expected_ms), c.text);
}

TEST(TerminalLayout, MessageBoxButtonTexts) {
  EXPECT_EQ(MessageBoxButtonText(kIdOk), "OK");
  EXPECT_EQ(MessageBoxButtonText(kIdCancel), "Cancel");
  EXPECT_EQ(MessageBoxButtonText(kIdYes), "Yes");
  EXPECT_EQ(MessageBoxButtonText(kIdNo), "No");
}

}  // namespace
}  // namespace tunora::sim

namespace tunora::sim {
namespace {

TEST(TerminalEvents, ShellOpenNamesTheFileOnThisComputer) {
  const std::filesystem::path drive_c = "/pc/drive_c";
  const std::pair<std::string, std::string> cases[] = {
      {"shell open \"C:\\WINNT\\TUNORAHELP.CHM\"",
       "shell open \"C:\\WINNT\\TUNORAHELP.CHM\" -> /pc/drive_c/WINNT/TUNORAHELP.CHM"},
      {"shell open \"c:\\backup.reg\"", "shell open \"c:\\backup.reg\" -> /pc/drive_c/backup.reg"},
      {"shell open \"D:\\x.txt\"", "shell open \"D:\\x.txt\""},
      {"reboot requested", "reboot requested"},
  };
  for (const auto& [event, shown] : cases) EXPECT_EQ(WithHostPath(event, drive_c), shown);
  EXPECT_EQ(WithHostPath(cases[0].first, {}), cases[0].first);
}

}  // namespace
}  // namespace tunora::sim
