// The terminal UI's property sheet without a terminal: focus order across
// page and frame, tab keys, Enter and Escape, mouse hit-testing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/sheet_model.h"
#include "sim/ui/terminal_keys.h"
#include "sim/ui/terminal_layout.h"

namespace tunora::sim {
namespace {

constexpr int kRadio1 = 11, kRadio2 = 12, kRadio3 = 13, kNumber = 20, kGo = 30, kCheck = 40;
constexpr int kApply = 991, kCancel = 992, kResetAll = 993, kHelp = 994;

const DialogTemplate kAlpha{
    301,
    "Alpha",
    280,
    114,
    {{kNoControlId, ControlKind::kGroupBox, "Choice", 7, 7, 100, 50},
     {kRadio1, ControlKind::kRadioButton, "One", 14, 20, 40, 10, kStyleAutoCheck},
     {kRadio2, ControlKind::kRadioButton, "Two", 14, 31, 40, 10, kStyleAutoCheck},
     {kRadio3, ControlKind::kRadioButton, "Three", 14, 42, 40, 10, kStyleAutoCheck},
     {kNumber, ControlKind::kEdit, "", 120, 20, 40, 14, kStyleNumber},
     {kGo, ControlKind::kPushButton, "&Go", 120, 40, 50, 14}}};
const DialogTemplate kMonitor{
    302,
    "Monitor Profile",
    280,
    114,
    {{kCheck, ControlKind::kCheckBox, "Check", 7, 7, 60, 10, kStyleAutoCheck}}};
const DialogTemplate kMisc{
    303,
    "Miscellaneous",
    280,
    114,
    {{kNoControlId, ControlKind::kStatic, "Nothing to focus", 7, 7, 90, 10}}};
const DialogTemplate kBeta{
    304, "Be&ta", 280, 114, {{kNoControlId, ControlKind::kStatic, "Beta", 7, 7, 90, 10}}};

class LogPage : public DialogHandler {
 public:
  explicit LogPage(std::vector<std::string>& log) : log_(log) {}
  void OnInit(DialogWindow& window) override { window.SetTextLimit(kNumber, 3); }
  void OnCommand(DialogWindow&, int id, int notification) override {
    log_.push_back("page " + std::to_string(id) + " " + std::to_string(notification));
  }

 private:
  std::vector<std::string>& log_;
};

// The tweak sheet's frame: the standard buttons hidden, four of its own
// with Cancel the default and Apply disabled.
class LogSheet : public SheetHandler {
 public:
  explicit LogSheet(std::vector<std::string>& log) : log_(log) {}
  void OnInit(SheetWindow& sheet) override {
    sheet.AddButton({kApply, "Apply", 325, 33, 250, 10});
    sheet.AddButton({kCancel, "Cancel", 245, 33, 170, 10, true});
    sheet.AddButton({kResetAll, "Reset All", 165, 33, 90, 10});
    sheet.AddButton({kHelp, "Help", 85, 33, 10, 10});
    for (const int id : {kIdSheetOk, kIdSheetCancel, kIdSheetHelp, kIdSheetApplyNow}) {
      sheet.Show(id, false);
    }
    sheet.Enable(kApply, false);
  }
  void OnCommand(SheetWindow& sheet, int id, int) override {
    log_.push_back("sheet " + std::to_string(id));
    if (id == kCancel) sheet.EndDialog(0);
  }
  void OnCancel(SheetWindow& sheet) override {
    log_.push_back("cancel");
    sheet.EndDialog(0);
  }

 private:
  std::vector<std::string>& log_;
};

class TerminalSheetTest : public ::testing::Test {
 protected:
  TerminalSheetTest()
      : page_(log_),
        frame_(log_),
        sheet_(
            {"Sheet", {{&kAlpha, &page_}, {&kMonitor, &page_}, {&kMisc, &page_}, {&kBeta, &page_}}},
            frame_) {
    sheet_.Open();
    SettleSheetFocus(sheet_, focus_);
  }
  void Press(KeyCode code, char character = 0) {
    HandleSheetKey(sheet_, focus_, KeyPress{code, character});
    SettleSheetFocus(sheet_, focus_);
  }
  // The focused control, frame buttons as negative ids.
  int Focused() {
    return focus_.in_frame ? -sheet_.frame().focus() : sheet_.ActiveWindow()->focus();
  }

  std::vector<std::string> log_;
  LogPage page_;
  LogSheet frame_;
  SheetModel sheet_;
  SheetFocus focus_;
};

TEST_F(TerminalSheetTest, TabRunsThroughThePageThenTheFrameButtons) {
  std::vector<int> forward{Focused()};
  for (int i = 0; i < 6; ++i) {
    Press(KeyCode::kTab);
    forward.push_back(Focused());
  }
  // The radio group is one stop; disabled Apply and the hidden standard
  // buttons are skipped; the round wraps to the page.
  EXPECT_EQ(forward,
            (std::vector<int>{kRadio1, kNumber, kGo, -kCancel, -kResetAll, -kHelp, kRadio1}));
  Press(KeyCode::kBackTab);
  EXPECT_EQ(Focused(), -kHelp);
  // A page with nothing to focus leaves the focus on the frame.
  Press(KeyCode::kCtrlPageDown);
  Press(KeyCode::kCtrlPageDown);
  EXPECT_EQ(sheet_.active(), 2);
  EXPECT_TRUE(focus_.in_frame);
  EXPECT_TRUE(log_.empty());
}

TEST_F(TerminalSheetTest, CtrlPageKeysAndAltLettersSwitchTabs) {
  struct Step {
    KeyCode code;
    char character;
    int page;  // active afterwards
  };
  const Step steps[] = {
      {KeyCode::kCtrlPageUp, 0, 3}, {KeyCode::kCtrlPageDown, 0, 0}, {KeyCode::kCtrlPageDown, 0, 1},
      {KeyCode::kAlt, 'm', 2},      {KeyCode::kAlt, 'M', 1},        {KeyCode::kAlt, 'T', 3},
      {KeyCode::kAlt, 'b', 3},  // "Be&ta" answers to its mnemonic only
      {KeyCode::kAlt, 'a', 0},      {KeyCode::kChar, 'm', 0},  // no Alt: not a tab key
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(step.code) << " " << step.character);
    Press(step.code, step.character);
    EXPECT_EQ(sheet_.active(), step.page);
  }
  // A page's own mnemonic comes before the tabs.
  Press(KeyCode::kAlt, 'g');
  EXPECT_EQ(sheet_.active(), 0);
  EXPECT_EQ(log_, std::vector<std::string>{"page 30 0"});
  EXPECT_EQ(TabLetter("Be&ta"), 't');
  EXPECT_EQ(TabLetter("AGP"), 'a');
  EXPECT_EQ(TabLetter(""), '\0');
}

TEST_F(TerminalSheetTest, ArrowsEditsEnterAndEscape) {
  Press(KeyCode::kDown);
  Press(KeyCode::kDown);
  EXPECT_TRUE(sheet_.ActiveWindow()->IsChecked(kRadio3));
  Press(KeyCode::kDown);  // round the group
  EXPECT_EQ(Focused(), kRadio1);
  EXPECT_TRUE(sheet_.ActiveWindow()->IsChecked(kRadio1));
  Press(KeyCode::kTab);
  for (const char c : std::string("4x2y75")) Press(KeyCode::kChar, c);
  EXPECT_EQ(sheet_.ActiveWindow()->GetText(kNumber), "427");  // digits only, three at most
  EXPECT_EQ(log_, (std::vector<std::string>{"page 12 0", "page 13 0", "page 11 0", "page 20 768",
                                            "page 20 768", "page 20 768"}));
  log_.clear();
  Press(KeyCode::kEscape);
  EXPECT_EQ(log_, std::vector<std::string>{"cancel"});
  log_.clear();
  // Enter off a push button runs the frame's default button.
  Press(KeyCode::kEnter);
  EXPECT_EQ(log_, std::vector<std::string>{"sheet 992"});
}

TEST_F(TerminalSheetTest, MouseClicksHitTabsPageControlsAndFrameButtons) {
  const SheetLayout layout = LayoutSheet(sheet_, 80, 24);
  const CellRect go = ControlCells(*sheet_.ActiveWindow()->Find(kGo));
  const CellRect help = SheetFrameControlCells(layout, *sheet_.frame().Find(kHelp));
  const CellRect apply = SheetFrameControlCells(layout, *sheet_.frame().Find(kApply));
  using Kind = HitTarget::Kind;
  struct Case {
    int column, row;
    HitTarget hit;
  };
  const Case cases[] = {
      {layout.tabs[1].left + 2, layout.tab_row, {Kind::kTab, 1, 1}},
      {layout.tabs[3].left + 1, layout.tab_top, {Kind::kTab, 3, 0}},
      {layout.tabs[1].left, layout.tab_row, {}},  // an edge
      {layout.page.x + go.x + 3, layout.page.y + go.y, {Kind::kPageControl, kGo, 3}},
      {layout.page.x + 3, layout.page.y + 1, {}},  // the group's frame
      {help.x, layout.button_row, {Kind::kFrameControl, kHelp, 0}},
      {apply.x + 1, layout.button_row, {Kind::kFrameControl, kApply, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.column << "," << c.row);
    EXPECT_EQ(HitTestSheet(sheet_, layout, c.column, c.row), c.hit);
  }
  EXPECT_EQ(ClickSheet(sheet_, focus_, cases[3].hit), KeyOutcome::kHandled);
  EXPECT_EQ(ClickSheet(sheet_, focus_, cases[6].hit), KeyOutcome::kIgnored);  // Apply is disabled
  EXPECT_FALSE(focus_.in_frame);
  EXPECT_EQ(ClickSheet(sheet_, focus_, cases[5].hit), KeyOutcome::kHandled);
  EXPECT_TRUE(focus_.in_frame);
  ClickSheet(sheet_, focus_, cases[0].hit);
  EXPECT_EQ(sheet_.active(), 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"page 30 0", "sheet 994"}));
}

}  // namespace
}  // namespace tunora::sim
