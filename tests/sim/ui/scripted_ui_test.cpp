#include "sim/ui/scripted_ui.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>

#include "platform/platform.h"
#include "tests/support/fake_dialog.h"

namespace tunora::sim {
namespace {

using testing::FakeDialog;
using testing::RecordingHandler;
namespace ids = testing;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The transcript lines that start with `prefix`.
std::vector<std::string> LinesStarting(const std::string& text, std::string_view prefix) {
  std::vector<std::string> found;
  for (const std::string& line : Lines(text)) {
    if (line.starts_with(prefix)) found.push_back(line);
  }
  return found;
}

class ScriptedUiTest : public ::testing::Test {
 protected:
  ScriptedUi& Start(std::string_view script) {
    ui_.emplace(ParseUiScript(script, "s.txt"), out_);
    return *ui_;
  }
  // Runs the fake dialog to its end under `script`.
  int RunDialog(std::string_view script) {
    ScriptedUi& ui = Start(script);
    handler_.emplace(ui);
    if (on_init_) handler_->on_init = on_init_;
    return ui.DialogBox(FakeDialog(), *handler_);
  }
  // The ScriptError that running `script` on the fake dialog throws.
  std::string DialogError(std::string_view script) {
    try {
      RunDialog(script);
    } catch (const ScriptError& error) {
      return error.what();
    }
    return "(no error)";
  }
  std::vector<std::string> Log() const { return handler_->log; }
  std::string Transcript() const { return out_.str(); }

  std::ostringstream out_;
  std::optional<ScriptedUi> ui_;
  std::optional<RecordingHandler> handler_;
  std::function<void(DialogWindow&)> on_init_;
};

struct MessageBoxCase {
  std::uint32_t type;
  std::string_view answer;  // the step after `expect message`
  int result;
};

const MessageBoxCase kMessageBoxCases[] = {
    {kMbOk, "", kIdOk},
    {kMbOk | kMbIconError, "", kIdOk},
    {kMbOkCancel, "", kIdOk},
    {kMbOkCancel | kMbDefButton2, "", kIdCancel},
    {kMbYesNo, "", kIdYes},
    {kMbYesNo | kMbDefButton2, "", kIdNo},
    {kMbYesNoCancel | kMbIconQuestion, "", kIdYes},
    {kMbYesNoCancel | kMbDefButton2, "", kIdNo},
    {kMbOk, "press 1", kIdOk},
    {kMbOkCancel, "press 2", kIdCancel},
    {kMbYesNo, "press 7", kIdNo},
    {kMbYesNoCancel, "press 2", kIdCancel},
    {kMbYesNo | kMbDefButton2, "press 6", kIdYes},
    {kMbYesNo | kMbDefButton2, "key enter", kIdNo},
    {kMbOk, "key escape", kIdOk},
    {kMbOkCancel, "key escape", kIdCancel},
    {kMbYesNoCancel, "key escape", kIdCancel},
};

TEST_F(ScriptedUiTest, MessageBoxAnswersByTypeAndStep) {
  for (const MessageBoxCase& c : kMessageBoxCases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " " << c.answer);
    out_.str("");
    ScriptedUi& ui = Start("expect message \"Q\"\n" + std::string(c.answer));
    EXPECT_EQ(ui.MessageBox("Q", "Cap", c.type), c.result);
    EXPECT_TRUE(ui.finished());
    std::string expected = "message \"Q\" caption \"Cap\"\n";
    if (!c.answer.empty()) expected += std::string(c.answer) + "\n";
    EXPECT_EQ(Transcript(), expected);
  }
}

TEST_F(ScriptedUiTest, MessageBoxTranscriptEscapesText) {
  ScriptedUi& ui = Start(R"(expect message "Line \"one\"\nc:\\x")");
  ui.MessageBox("Line \"one\"\nc:\\x", "Tunora", kMbOk);
  EXPECT_EQ(Transcript(), "message \"Line \\\"one\\\"\\nc:\\\\x\" caption \"Tunora\"\n");
}

TEST_F(ScriptedUiTest, MessageBoxRefusesWhatItCannotDo) {
  struct Case {
    std::uint32_t type;
    std::string_view answer;
    std::string_view error;
  };
  const Case cases[] = {
      {kMbYesNo, "press 1", "s.txt:2: press 1: the message box has no button 1 (its buttons: 6 7)"},
      {kMbOk, "press 2", "s.txt:2: press 2: the message box has no button 2 (its buttons: 1)"},
      {kMbYesNo, "key escape",
       "s.txt:2: key escape: this message box cannot be closed with Escape"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    ScriptedUi& ui = Start("expect message \"Q\"\n" + std::string(c.answer));
    try {
      ui.MessageBox("Q", "Cap", c.type);
      ADD_FAILURE() << "no error";
    } catch (const ScriptError& error) {
      EXPECT_EQ(error.what(), std::string(c.error));
      EXPECT_EQ(error.line(), 2);
    }
  }
}

TEST_F(ScriptedUiTest, MessageBoxMismatchesNameTheLine) {
  struct Case {
    std::string_view script;
    std::string_view error;
  };
  const Case cases[] = {
      {"# first\nexpect window 144",
       R"(s.txt:2: expected window 144, but the program showed message "Hello \"x\"")"},
      {"expect message \"Bye\"",
       R"(s.txt:1: expected message "Bye", but the program showed message "Hello \"x\"")"},
      {"click 5", R"(s.txt:1: expected click 5, but the program showed message "Hello \"x\"")"},
      {"\n# nothing left\n",
       R"(s.txt:2: the script ended, but the program showed message "Hello \"x\"")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    ScriptedUi& ui = Start(c.script);
    try {
      ui.MessageBox("Hello \"x\"", "Cap", kMbOk);
      ADD_FAILURE() << "no error";
    } catch (const ScriptError& error) {
      EXPECT_EQ(error.what(), std::string(c.error));
    }
  }
}

TEST_F(ScriptedUiTest, DialogMismatchesNameTheLine) {
  const std::string title = R"(window 500 "Fake \"Dialog\"")";
  EXPECT_EQ(DialogError("expect window 144"),
            "s.txt:1: expected window 144, but the program showed " + title);
  EXPECT_EQ(DialogError("expect message \"Hi\""),
            "s.txt:1: expected message \"Hi\", but the program showed " + title);
  EXPECT_EQ(DialogError("click 1"), "s.txt:1: expected click 1, but the program showed " + title);
  EXPECT_EQ(DialogError("expect window 500\nclick 11\nexpect window 144"),
            "s.txt:3: expected window 144, but the program waits for the user in " + title);
  EXPECT_EQ(DialogError("expect window 500\nclick 11\n"),
            "s.txt:2: the script ended, but the program waits for the user in " + title);
  EXPECT_EQ(DialogError(""), "s.txt:1: the script ended, but the program showed " + title);
}

TEST_F(ScriptedUiTest, ActionsOnControlsThatCannotTakeThemAreRefused) {
  struct Case {
    std::string_view action;
    std::string_view error;
  };
  const Case cases[] = {
      {"click 61", "s.txt:2: click 61: button 61 of window 500 is disabled"},
      {"press 61", "s.txt:2: press 61: button 61 of window 500 is disabled"},
      {"click 62", "s.txt:2: click 62: button 62 of window 500 is hidden"},
      {"click 99", "s.txt:2: click 99: window 500 has no control 99"},
      {"click 60", "s.txt:2: click 60: control 60 of window 500 is a static, not a button"},
      {"press 10", "s.txt:2: press 10: control 10 of window 500 is a checkbox, not a push button"},
      {"check 1",
       "s.txt:2: check 1: control 1 of window 500 is a button, not a check box or radio button"},
      {"type 40 \"x\"", "s.txt:2: type 40 \"x\": control 40 of window 500 is a combo, not an edit"},
      {"select 40 3", "s.txt:2: select 40 3: combo 40 has 3 items, no item 3"},
      {"select 40 -1", "s.txt:2: select 40 -1: combo 40 has 3 items, no item -1"},
      {"slider 51 5",
       "s.txt:2: slider 51 5: control 51 of window 500 is a progress, not a trackbar"},
      {"sysmenu 32", "s.txt:2: sysmenu 32: window 500 has no system-menu command 32"},
      {"tab \"AGP\"", "s.txt:2: tab \"AGP\": window 500 has no tabs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    EXPECT_EQ(DialogError("expect window 500\n" + std::string(c.action) + "\nkey escape"), c.error);
  }
}

TEST_F(ScriptedUiTest, ControlDisabledByTheHandlerIsRefused) {
  on_init_ = [](DialogWindow& window) { window.Enable(ids::kAskButton, false); };
  EXPECT_EQ(DialogError("expect window 500\nclick 70"),
            "s.txt:2: click 70: button 70 of window 500 is disabled");
  EXPECT_EQ(ScriptError("m", 4).line(), 4);
}

TEST_F(ScriptedUiTest, DumpWritesEveryControlWithItsState) {
  EXPECT_EQ(RunDialog("expect window 500\ndump\nkey escape"), kIdCancel);
  EXPECT_EQ(Transcript(),
            "window 500 \"Fake \\\"Dialog\\\"\"\n"
            "control -1 picture \"#131\"\n"
            "control 1 button \"OK\" default focus\n"
            "control 2 button \"Cancel\"\n"
            "control 10 checkbox \"Auto\"\n"
            "control 11 checkbox \"Manual\"\n"
            "control -1 group \"Group\"\n"
            "control 20 radio \"A\"\n"
            "control 21 radio \"B\"\n"
            "control 22 radio \"C\"\n"
            "control -1 static \"Second group\"\n"
            "control 23 radio \"D\"\n"
            "control 24 radio \"E\"\n"
            "control 30 edit \"\" limit=4\n"
            "control 40 combo \"\" sel=-1 items=3\n"
            "control 50 trackbar \"\" pos=100 range=0..120\n"
            "control 51 progress \"\" pos=0 range=0..120\n"
            "control 60 static \"Two\\nlines\"\n"
            "control 61 button \"Off\" disabled\n"
            "control 62 button \"Hidden\" hidden\n"
            "control 70 button \"Ask\"\n"
            "key escape\n");
}

TEST_F(ScriptedUiTest, DumpShowsWhatActionsChanged) {
  on_init_ = [](DialogWindow& window) {
    window.SetDefaultButton(ids::kAskButton);
    window.SetFocus(kIdCancel);
  };
  RunDialog(
      "expect window 500\n"
      "check 10\n"
      "select 40 1\n"
      "type 30 \"abcdef\"\n"
      "slider 50 130\n"
      "dump\n"
      "click 1\n");
  const std::string transcript = Transcript();
  EXPECT_EQ(LinesStarting(transcript, "control 1 "),
            std::vector<std::string>{"control 1 button \"OK\""});
  EXPECT_EQ(LinesStarting(transcript, "control 70 "),
            std::vector<std::string>{"control 70 button \"Ask\" default"});
  EXPECT_EQ(LinesStarting(transcript, "control 10 "),
            std::vector<std::string>{"control 10 checkbox \"Auto\" checked"});
  EXPECT_EQ(LinesStarting(transcript, "control 40 "),
            std::vector<std::string>{"control 40 combo \"second\" sel=1 items=3"});
  EXPECT_EQ(LinesStarting(transcript, "control 30 "),
            std::vector<std::string>{"control 30 edit \"abcd\" limit=4"});
  // The last control the user worked has the focus.
  EXPECT_EQ(LinesStarting(transcript, "control 50 "),
            std::vector<std::string>{"control 50 trackbar \"\" focus pos=120 range=0..120"});
  EXPECT_EQ(LinesStarting(transcript, "control 51 "),
            std::vector<std::string>{"control 51 progress \"\" pos=120 range=0..120"});
  // Actions are echoed as written; dump is not.
  EXPECT_EQ(LinesStarting(transcript, "type"), std::vector<std::string>{"type 30 \"abcdef\""});
  EXPECT_TRUE(LinesStarting(transcript, "dump").empty());
}

TEST_F(ScriptedUiTest, ActionsSendTheirNotifications) {
  EXPECT_EQ(RunDialog("expect window 500\n"
                      "check 10\n"
                      "uncheck 10\n"
                      "click 11\n"
                      "select 40 2\n"
                      "type 30 \"abcdef\"\n"
                      "slider 50 130\n"
                      "slider 50 -4\n"
                      "slider 50 7\n"
                      "sysmenu 16\n"
                      "press 1\n"),
            kIdOk);
  EXPECT_EQ(Log(), (std::vector<std::string>{
                       "init", "command 10 0", "command 10 0", "command 11 0", "command 40 1",
                       "sel 2", "command 30 768", "text abcd", "scroll 50 120",
                       "scroll 50 120 released", "scroll 50 0", "scroll 50 0 released",
                       "scroll 50 7", "scroll 50 7 released", "syscommand 16", "command 1 0"}));
}

TEST_F(ScriptedUiTest, CheckBoxesAndRadioGroups) {
  RunDialog(
      "expect window 500\n"
      "click 10\n"  // auto: toggles on
      "click 11\n"  // manual: stays as it is
      "check 20\n"
      "click 21\n"  // clears A, leaves the second group
      "check 23\n"
      "dump\n"
      "uncheck 21\n"
      "click 10\n"  // auto: toggles off
      "dump\n"
      "key escape\n");
  const std::vector<std::string> first = {"control 10 checkbox \"Auto\" checked",
                                          "control 21 radio \"B\" checked",
                                          "control 23 radio \"D\" checked focus"};
  const std::vector<std::string> second = {"control 23 radio \"D\" checked"};
  std::vector<std::string> checked;
  for (const std::string& line : Lines(Transcript())) {
    if (line.starts_with("control") && line.find(" checked") != std::string::npos) {
      checked.push_back(line);
    }
  }
  std::vector<std::string> expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  EXPECT_EQ(checked, expected);
}

TEST_F(ScriptedUiTest, EnterRunsTheDefaultButtonAndEscapeCancels) {
  struct Case {
    std::string_view name;
    std::function<void(DialogWindow&)> init;
    std::string_view key;
    int result;
    std::string_view command;
  };
  const Case cases[] = {
      {"template default", nullptr, "key enter", kIdOk, "command 1 0"},
      {"moved default", [](DialogWindow& w) { w.SetDefaultButton(kIdCancel); }, "key enter",
       kIdCancel, "command 2 0"},
      {"unusable default sends IDOK", [](DialogWindow& w) { w.SetDefaultButton(ids::kOffButton); },
       "key enter", kIdOk, "command 1 0"},
      {"escape", nullptr, "key escape", kIdCancel, "cancel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    on_init_ = c.init;
    EXPECT_EQ(RunDialog("expect window 500\n" + std::string(c.key)), c.result);
    EXPECT_EQ(Log(), (std::vector<std::string>{"init", std::string(c.command)}));
  }
}

TEST_F(ScriptedUiTest, MessageBoxRaisedByAClickTakesTheNextSteps) {
  EXPECT_EQ(RunDialog("expect window 500\n"
                      "click 70\n"
                      "expect message \"Sure?\"\n"
                      "press 7\n"
                      "click 70\n"
                      "expect message \"Sure?\"\n"
                      "dump\n"
                      "click 1\n"),
            kIdOk);
  const std::vector<std::string> lines = Lines(Transcript());
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1], "click 70");
  EXPECT_EQ(lines[2], "message \"Sure?\" caption \"Fake\"");
  EXPECT_EQ(lines[3], "press 7");
  EXPECT_EQ(lines[4], "click 70");
  EXPECT_EQ(lines[5], "message \"Sure?\" caption \"Fake\"");
  // The second box closed with its default button, Yes.
  EXPECT_EQ(LinesStarting(Transcript(), "control 30 "),
            std::vector<std::string>{"control 30 edit \"6\" limit=4"});
  EXPECT_EQ(lines.back(), "click 1");
}

TEST_F(ScriptedUiTest, NestedDialogTakesStepsUntilItEnds) {
  struct Nesting : DialogHandler {
    explicit Nesting(Ui& owner) : ui(owner) {}
    void OnCommand(DialogWindow& window, int id, int) override {
      if (id == ids::kAskButton) {
        RecordingHandler inner(ui);
        inner_result = ui.DialogBox(FakeDialog(), inner);
      } else if (id == kIdOk) {
        window.EndDialog(kIdOk);
      }
    }
    Ui& ui;
    int inner_result = 0;
  };
  ScriptedUi& ui = Start(
      "expect window 500\n"
      "click 70\n"
      "expect window 500\n"
      "key escape\n"
      "click 1\n");
  Nesting outer(ui);
  EXPECT_EQ(ui.DialogBox(FakeDialog(), outer), kIdOk);
  EXPECT_EQ(outer.inner_result, kIdCancel);
  EXPECT_TRUE(ui.finished());
  EXPECT_EQ(
      Lines(Transcript()),
      (std::vector<std::string>{"window 500 \"Fake \\\"Dialog\\\"\"", "click 70",
                                "window 500 \"Fake \\\"Dialog\\\"\"", "key escape", "click 1"}));
}

TEST_F(ScriptedUiTest, DialogEndedDuringInitTakesNoSteps) {
  on_init_ = [](DialogWindow& window) { window.EndDialog(42); };
  EXPECT_EQ(RunDialog("expect window 500\n"), 42);
  EXPECT_TRUE(ui_->finished());
}

TEST_F(ScriptedUiTest, EventsAndWaitCursorInTheTranscript) {
  ScriptedUi& ui = Start("");
  {
    WaitCursor wait(ui);
    ui.Event("reboot");
  }
  ui.Event("shell open \"c:\\windows\\TUNORAHELP.CHM\"");
  EXPECT_EQ(Transcript(), "reboot\nshell open \"c:\\windows\\TUNORAHELP.CHM\"\n");
}

struct RunCase {
  std::string_view name;
  std::string_view script;
  std::function<int(Ui&)> program;
  int code;
  std::string_view transcript;
  std::string_view errors;
};

TEST(RunScriptedProgram, ExitCodesTranscriptAndErrors) {
  const RunCase cases[] = {
      {"returns", "expect message \"Hi\"\npress 2\n",
       [](Ui& ui) { return ui.MessageBox("Hi", "T", kMbOkCancel) == kIdCancel ? 3 : 4; }, 3,
       "message \"Hi\" caption \"T\"\npress 2\nexit 3\n", ""},
      {"ends the process", "expect message \"Hi\"\n",
       [](Ui& ui) -> int {
         ui.MessageBox("Hi", "T", kMbOk);
         EndProcess(1);
       },
       1, "message \"Hi\" caption \"T\"\nexit 1\n", ""},
      {"mismatch", "expect message \"Bye\"\n",
       [](Ui& ui) { return ui.MessageBox("Hi", "T", kMbOk); }, 99,
       "message \"Hi\" caption \"T\"\nexit 99\n",
       "s.txt:1: expected message \"Bye\", but the program showed message \"Hi\"\n"},
      {"steps left over", "expect message \"Hi\"\n\nclick 5\n",
       [](Ui& ui) {
         ui.MessageBox("Hi", "T", kMbOk);
         return 0;
       },
       99, "message \"Hi\" caption \"T\"\nexit 99\n",
       "s.txt:3: expected click 5, but the program ended with exit code 0\n"},
  };
  for (const RunCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::ostringstream transcript, errors;
    EXPECT_EQ(RunScriptedProgram(ParseUiScript(c.script, "s.txt"), transcript, errors, c.program),
              c.code);
    EXPECT_EQ(transcript.str(), c.transcript);
    EXPECT_EQ(errors.str(), c.errors);
  }
}

TEST(RunScriptedProgram, UnreadableScriptIsAScriptFailure) {
  std::ostringstream transcript, errors;
  bool ran = false;
  const int code = RunScriptedProgram(std::filesystem::path(::testing::TempDir()) / "missing.txt",
                                      transcript, errors, [&](Ui&) {
                                        ran = true;
                                        return 0;
                                      });
  EXPECT_EQ(code, kScriptFailureExitCode);
  EXPECT_FALSE(ran);
  EXPECT_EQ(transcript.str(), "exit 99\n");
  EXPECT_NE(errors.str().find("missing.txt: cannot read the script"), std::string::npos);
}

}  // namespace
}  // namespace tunora::sim
