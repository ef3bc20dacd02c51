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

#include "automation/script_runner.h"
#include "automation/ui_script.h"
#include "automation/window_model.h"
#include "platform/ui.h"

namespace tunora::sim {

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

class ScriptedUi : public Ui, public ScriptRunner {
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

  // ScriptRunner.
  void Line(std::string_view line) override;

 protected:
  // Throws ScriptError.
  void Abort(const std::string& message, int line) override;

 private:
  std::ostream& transcript_;
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
