// The scripted UI: replays a UI script against the program and writes a
// transcript of everything shown, one line per event:
//
//   window 102 "Quillex Tunora Tweak Utility"     a dialog (or sheet page) is shown
//   message "TEXT" caption "CAPTION"              a message box is shown
//   click 1004                                    an action of the script, as written
//   control 1004 button "Tweak" default focus     `dump`, one line per control
//   reboot                                        an Event() of the program
//   exit 0                                        WriteExit, by the host
//
// A step that does not match what the program shows, or a script that ends
// while the program waits for the user, throws ScriptError; the host turns
// it into exit code 99 and a message on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "automation/message_box_rules.h"
#include "automation/ui_script.h"
#include "automation/window_model.h"
#include "platform/ui.h"

namespace tunora::sim {

inline constexpr int kScriptFailureExitCode = 99;

// What() reads "script.txt:7: expected window 144, but the program showed
// message \"...\"". Program code catches only ProcessExit, so this passes
// through it to the host.
class ScriptError : public std::runtime_error {
 public:
  ScriptError(const std::string& message, int line) : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

class ScriptedUi : public Ui {
 public:
  ScriptedUi(UiScript script, std::ostream& transcript);

  // Closed with the box's default button unless the step after
  // `expect message` is `press ID`, `key enter` or `key escape`.
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  // Needs `expect window ID`; then runs the script's actions on the window
  // until its handler ends it. Dialogs and message boxes the handler opens
  // take the steps that follow, in turn.
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  // The sheet's line (`sheet "CAPTION"`), then each page that becomes
  // active needs `expect window ID`; actions go to the active page or the
  // frame's buttons, `tab "TITLE"` switches pages.
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  void Event(std::string_view line) override;

  // Throws ScriptError when steps are left after the program ended.
  void CheckFinished(int exit_code) const;
  bool finished() const { return next_ == script_.steps.size(); }

  // The transcript and the step cursor, for the windows that run steps.
  std::ostream& transcript() { return transcript_; }
  // "FILE:LINE: STEP: what" -- the step cannot be done.
  [[noreturn]] void Fail(const ScriptStep& step, const std::string& what) const;
  // "FILE:LINE: expected STEP, but the program <what>" -- the step does
  // not match what the program shows.
  [[noreturn]] void Mismatch(const ScriptStep& step, const std::string& what) const;
  // "FILE:LAST: the script ended, but the program <what>".
  [[noreturn]] void FailAtEnd(const std::string& what) const;
  const ScriptStep* Peek() const;
  const ScriptStep& Take();
  // Writes an action to the transcript (`dump` writes its controls instead).
  void Echo(const ScriptStep& step);

 private:
  UiScript script_;
  std::ostream& transcript_;
  std::size_t next_ = 0;
};

// The transcript's last line.
void WriteExit(std::ostream& transcript, int code);

// The host's whole scripted run: reads and parses the script, runs the
// program on a ScriptedUi (a ProcessExit becomes its code), checks that
// the script was used up and writes `exit N`. Script faults go to `errors`
// and give exit code 99.
int RunScriptedProgram(const std::filesystem::path& script_path, std::ostream& transcript,
                       std::ostream& errors, const std::function<int(Ui&)>& program);
// The same with a script already parsed.
int RunScriptedProgram(UiScript script, std::ostream& transcript, std::ostream& errors,
                       const std::function<int(Ui&)>& program);

}  // namespace tunora::sim
