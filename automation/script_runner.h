// The cursor through a UI script and the checks every UI that replays one
// makes: that what the program shows is what the script expects next, how
// a message box is answered, whether an action fits its control, and the
// failure texts. The scripted UI and the Windows test automation both run
// on it; they differ in where transcript lines go and in how a failure
// ends the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/ui_script.h"
#include "platform/ui.h"

namespace tunora::sim {

// A run whose script did not fit the program ends with this code.
inline constexpr int kScriptFailureExitCode = 99;

// What an action step finds of its control.
struct ControlFound {
  ControlKind kind;
  bool visible;
  bool enabled;
};

class ScriptRunner {
 public:
  explicit ScriptRunner(UiScript script);
  virtual ~ScriptRunner() = default;
  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // One transcript line.
  virtual void Line(std::string_view line) = 0;

  const ScriptStep* Peek() const;
  const ScriptStep& Take();
  bool finished() const { return next_ == script_.steps.size(); }
  // Writes an action to the transcript (`dump` writes its controls instead).
  void Echo(const ScriptStep& step);

  // "FILE:LINE: STEP: what" -- the step cannot be done.
  [[noreturn]] void Fail(const ScriptStep& step, const std::string& what);
  // "FILE:LINE: expected STEP, but the program <what>" -- the step does
  // not match what the program shows.
  [[noreturn]] void Mismatch(const ScriptStep& step, const std::string& what);
  // "FILE:LAST: the script ended, but the program <what>".
  [[noreturn]] void FailAtEnd(const std::string& what);
  std::string MismatchText(const ScriptStep& step, const std::string& what) const;

  // `window ID "TITLE"`: writes the line; the next step must expect it.
  void WindowShown(int id, std::string_view title);
  // `sheet "CAPTION"`.
  void SheetShown(std::string_view caption);
  // The message box's line; the next step must expect its text. Closed
  // with the box's default button unless the step after is `press ID`,
  // `key enter` or `key escape`, which it then takes.
  int AnswerMessageBox(std::string_view text, std::string_view caption, std::uint32_t type);
  // The next action for a window waiting for the user, written to the
  // transcript. An expect step or the end of the script is a mismatch;
  // `waiting` describes the window (`window 102 "TITLE"`).
  const ScriptStep& TakeAction(const std::string& waiting);
  // Steps left after the program ended are a mismatch.
  void CheckFinished(int exit_code);

  // Fails a click, press, check, uncheck, select, type or slider step
  // unless its control (null: the window has none of that id) is of a kind
  // the step works, shown and enabled. `window_id` names the window.
  void CheckControl(const ScriptStep& step, int window_id, const ControlFound* control);
  // Fails a select step whose item is not among the combo's `count`.
  void CheckComboItem(const ScriptStep& step, int count);
  // Fails a sysmenu step for a command the window's menu lacks.
  void CheckSystemCommand(const ScriptStep& step, int window_id, bool has_command);
  // A `tab "TITLE"` step's page among the sheet's tab titles; fails when
  // there is none.
  std::size_t FindTab(const ScriptStep& step, const std::vector<std::string>& titles);
  // A `tab` step in a window that is no sheet.
  [[noreturn]] void FailNoTabs(const ScriptStep& step, int window_id);

 protected:
  // Ends the run with the failure `message`, about script line `line`:
  // throws or ends the process, never returns.
  virtual void Abort(const std::string& message, int line) = 0;

 private:
  [[noreturn]] void End(const std::string& message, int line);

  UiScript script_;
  std::size_t next_ = 0;
};

// `window 102 "TITLE"`: the transcript line of a shown window.
std::string WindowLine(int id, std::string_view title);

}  // namespace tunora::sim
