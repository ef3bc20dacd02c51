#include "sim/ui/terminal_keys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "resources/dialogs.h"
#include "sim/ui/scripted_ui.h"
#include "tests/support/fake_dialog.h"

namespace tunora::sim {
namespace {

namespace ids = testing;

// The keys go to the fake dialog directly; its handler's message box (Ask)
// is answered by a script.
class TerminalKeysTest : public ::testing::Test {
 protected:
  TerminalKeysTest()
      : ui_(ParseUiScript("", "s"), out_), handler_(ui_), window_(ids::FakeDialog()) {
    handler_.OnInit(window_);
    window_.FocusFirstIfNone();
    handler_.log.clear();
  }
  KeyOutcome Press(KeyCode code, char character = 0) {
    return HandleDialogKey(window_, handler_, KeyPress{code, character});
  }
  void Focus(int id) { window_.SetFocus(id); }

  std::ostringstream out_;
  ScriptedUi ui_;
  ids::RecordingHandler handler_;
  WindowModel window_;
};

TEST_F(TerminalKeysTest, TabVisitsUsableInteractiveControlsInOrder) {
  EXPECT_EQ(window_.focus(), kIdOk);
  window_.SetCheck(ids::kRadioE, true);
  std::vector<int> visited;
  for (int i = 0; i < 11; ++i) {
    Press(KeyCode::kTab);
    visited.push_back(window_.focus());
  }
  // Statics, groups, pictures, the progress bar, disabled and hidden
  // controls are skipped; a radio group is one stop, entered at its checked
  // button; the round wraps to OK.
  EXPECT_EQ(visited, (std::vector<int>{kIdCancel, ids::kAutoCheck, ids::kManualCheck, ids::kRadioA,
                                       ids::kRadioE, ids::kEditId, ids::kComboId, ids::kSliderId,
                                       ids::kAskButton, kIdOk, kIdCancel}));
  Press(KeyCode::kBackTab);
  Press(KeyCode::kBackTab);
  EXPECT_EQ(window_.focus(), ids::kAskButton);
  EXPECT_TRUE(handler_.log.empty());
  // Arrows stay within a radio group, round, pressing what they reach.
  Focus(ids::kRadioC);
  Press(KeyCode::kDown);
  Press(KeyCode::kLeft);
  Press(KeyCode::kUp);
  EXPECT_EQ(window_.focus(), ids::kRadioB);
  EXPECT_TRUE(window_.IsChecked(ids::kRadioB));
  EXPECT_EQ(handler_.log,
            (std::vector<std::string>{"command 20 0", "command 22 0", "command 21 0"}));
}

TEST_F(TerminalKeysTest, NextFocusWithNothingToFocus) {
  const DialogTemplate statics{
      1, "S", 40, 40, {{kNoControlId, ControlKind::kStatic, "x", 0, 0, 4, 8}}};
  const WindowModel window(statics);
  EXPECT_EQ(NextFocus(window, kNoControlId, 1), kNoControlId);
}

TEST_F(TerminalKeysTest, SpaceClicksButtonsAndTogglesCheckBoxes) {
  Focus(ids::kAutoCheck);
  Press(KeyCode::kChar, ' ');
  EXPECT_TRUE(window_.IsChecked(ids::kAutoCheck));
  Press(KeyCode::kChar, ' ');
  EXPECT_FALSE(window_.IsChecked(ids::kAutoCheck));
  Focus(ids::kRadioB);
  Press(KeyCode::kChar, ' ');
  EXPECT_TRUE(window_.IsChecked(ids::kRadioB));
  Focus(kIdCancel);
  Press(KeyCode::kChar, ' ');
  EXPECT_EQ(handler_.log, (std::vector<std::string>{"command 10 0", "command 10 0", "command 21 0",
                                                    "command 2 0"}));
  EXPECT_TRUE(window_.ended());
  EXPECT_EQ(window_.result(), kIdCancel);
}

TEST_F(TerminalKeysTest, EnterPressesTheFocusedButtonElseTheDefault) {
  Focus(kIdCancel);
  EXPECT_EQ(EnterCommand(window_), kIdCancel);
  Focus(ids::kAutoCheck);
  EXPECT_EQ(EnterCommand(window_), kIdOk);
  window_.SetDefaultButton(ids::kAskButton);
  EXPECT_EQ(EnterCommand(window_), ids::kAskButton);
  window_.Enable(ids::kAskButton, false);
  EXPECT_EQ(EnterCommand(window_), kIdOk);
  Press(KeyCode::kEnter);
  EXPECT_EQ(handler_.log, std::vector<std::string>{"command 1 0"});
}

TEST_F(TerminalKeysTest, TypingEditsTheFocusedEditWithinItsLimit) {
  Focus(ids::kEditId);
  for (const char c : std::string("ab cdef")) Press(KeyCode::kChar, c);
  EXPECT_EQ(window_.GetText(ids::kEditId), "ab c");  // limit 4
  Press(KeyCode::kBackspace);
  EXPECT_EQ(window_.GetText(ids::kEditId), "ab ");
  EXPECT_EQ(handler_.log.back(), "text ab ");
  // Four changes and one removal; keys past the limit change nothing.
  EXPECT_EQ(std::count(handler_.log.begin(), handler_.log.end(), "command 30 768"), 5);
}

TEST_F(TerminalKeysTest, LeftAndRightMoveTrackbarsAndCombos) {
  Focus(ids::kSliderId);
  Press(KeyCode::kRight);
  Press(KeyCode::kEnd);
  Press(KeyCode::kRight);  // stays at the end of the range
  Press(KeyCode::kPageUp);
  EXPECT_EQ(window_.Position(ids::kSliderId), 96);
  EXPECT_EQ(handler_.log, (std::vector<std::string>{"scroll 50 101", "scroll 50 101 released",
                                                    "scroll 50 120", "scroll 50 120 released",
                                                    "scroll 50 120", "scroll 50 120 released",
                                                    "scroll 50 96", "scroll 50 96 released"}));
  handler_.log.clear();
  Focus(ids::kComboId);
  Press(KeyCode::kRight);
  Press(KeyCode::kRight);
  Press(KeyCode::kLeft);
  Press(KeyCode::kLeft);
  Press(KeyCode::kLeft);  // already the first: no notification
  EXPECT_EQ(handler_.log, (std::vector<std::string>{"command 40 1", "sel 0", "command 40 1",
                                                    "sel 1", "command 40 1", "sel 0"}));
  EXPECT_EQ(window_.GetText(ids::kComboId), "first");
}

TEST_F(TerminalKeysTest, EscapeCancelsAndMenuKeyAsksForTheSystemMenu) {
  EXPECT_EQ(Press(KeyCode::kMenu), KeyOutcome::kOpenSystemMenu);
  EXPECT_EQ(Press(KeyCode::kResize), KeyOutcome::kIgnored);
  EXPECT_TRUE(handler_.log.empty());
  EXPECT_EQ(Press(KeyCode::kEscape), KeyOutcome::kHandled);
  EXPECT_EQ(handler_.log, std::vector<std::string>{"cancel"});
}

TEST_F(TerminalKeysTest, MnemonicLetterClicksItsButton) {
  const DialogTemplate dialog{1,
                              "M",
                              100,
                              40,
                              {{5, ControlKind::kPushButton, "&Tweak", 0, 0, 40, 14},
                               {6, ControlKind::kPushButton, "E&xit", 0, 16, 40, 14}}};
  WindowModel window(dialog);
  ids::RecordingHandler handler(ui_);
  HandleDialogKey(window, handler, KeyPress{KeyCode::kChar, 'X'});
  EXPECT_EQ(HandleDialogKey(window, handler, KeyPress{KeyCode::kChar, 'q'}), KeyOutcome::kIgnored);
  EXPECT_EQ(handler.log, std::vector<std::string>{"command 6 0"});
  EXPECT_EQ(window.focus(), 6);
}

// The Miscellaneous page's two group boxes are two keyboard groups: Tab
// enters each at its checked button, the arrows stay inside each.
TEST(TerminalKeys, EachGroupBoxOfTheMiscellaneousPageIsAGroupOfItsOwn) {
  std::ostringstream out;
  ScriptedUi ui(ParseUiScript("", "s"), out);
  ids::RecordingHandler handler(ui);
  WindowModel window(MiscPageDialog());
  window.SetCheck(kIdcBusMasteringOn, true);
  window.SetCheck(kIdcBitmapCachingOff, true);
  std::vector<int> visited;
  for (int i = 0; i < 4; ++i) {
    HandleDialogKey(window, handler, KeyPress{KeyCode::kTab, 0});
    visited.push_back(window.focus());
  }
  EXPECT_EQ(visited, (std::vector<int>{kIdcBusMasteringOn, kIdcBitmapCachingOff, kIdcHardwareLog,
                                       kIdcSubImageCache}));
  window.SetFocus(kIdcBusMasteringOn);
  HandleDialogKey(window, handler, KeyPress{KeyCode::kDown, 0});
  EXPECT_EQ(window.focus(), kIdcBusMasteringOff);
  EXPECT_TRUE(window.IsChecked(kIdcBitmapCachingOff)) << "the other group was pressed";
}

}  // namespace
}  // namespace tunora::sim
