#include "sim/ui/scripted_ui.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "sim/ui/scripted_window.h"

namespace tunora::sim {
ScriptedUi::ScriptedUi(UiScript script, std::ostream& transcript)
    : ScriptRunner(std::move(script)), transcript_(transcript) {}

void ScriptedUi::Line(std::string_view line) { transcript_ << line << '\n'; }

void ScriptedUi::Abort(const std::string& message, int line) { throw ScriptError(message, line); }

void ScriptedUi::Event(std::string_view line) { Line(line); }

int ScriptedUi::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  return AnswerMessageBox(text, caption, type);
}

int ScriptedUi::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  WindowModel window(dialog);
  WindowShown(dialog.id, dialog.title);
  handler.OnInit(window);
  window.FocusFirstIfNone();
  ScriptedDialog scripted(*this, window, handler);
  RunScriptedWindow(*this, scripted);
  return window.result();
}

int ScriptedUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  SheetShown(sheet.caption);
  // Each page that becomes active is a window shown: the script expects it.
  SheetModel model(sheet, handler, [this](const WindowModel& page) {
    WindowShown(page.dialog_id(), page.title());
  });
  model.Open();
  ScriptedSheet scripted(*this, model);
  RunScriptedWindow(*this, scripted);
  return model.result();
}

void WriteExit(std::ostream& transcript, int code) {
  transcript << "exit " << code << '\n';
  transcript.flush();
}

int RunScriptedProgram(UiScript script, std::ostream& transcript, std::ostream& errors,
                       const std::function<int(Ui&)>& program) {
  ScriptedUi ui(std::move(script), transcript);
  int code = 0;
  try {
    try {
      code = program(ui);
    } catch (const ProcessExit& exit) {
      code = exit.code;
    }
    ui.CheckFinished(code);
  } catch (const ScriptError& error) {
    errors << error.what() << '\n';
    code = kScriptFailureExitCode;
  }
  WriteExit(transcript, code);
  return code;
}

int RunScriptedProgram(const std::filesystem::path& script_path, std::ostream& transcript,
                       std::ostream& errors, const std::function<int(Ui&)>& program) {
  UiScript script;
  try {
    script = ReadUiScript(script_path.string());
  } catch (const ScriptParseError& error) {
    errors << error.what() << '\n';
    WriteExit(transcript, kScriptFailureExitCode);
    return kScriptFailureExitCode;
  }
  return RunScriptedProgram(std::move(script), transcript, errors, program);
}

}  // namespace tunora::sim
