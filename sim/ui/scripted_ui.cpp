#include "sim/ui/scripted_ui.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "sim/ui/scripted_window.h"

namespace tunora::sim {
namespace {

// What the step waits for, in the words of "expected ..., but".
std::string Expected(const ScriptStep& step) {
  switch (step.kind) {
    case StepKind::kExpectWindow:
      return "window " + std::to_string(step.id);
    case StepKind::kExpectMessage:
      return "message " + QuoteScriptString(step.text);
    default:
      return FormatStep(step);
  }
}

std::string ButtonList(const std::vector<int>& buttons) {
  std::string list;
  for (const int id : buttons) list += (list.empty() ? "" : " ") + std::to_string(id);
  return list;
}

}  // namespace

ScriptedUi::ScriptedUi(UiScript script, std::ostream& transcript)
    : script_(std::move(script)), transcript_(transcript) {}

void ScriptedUi::Fail(const ScriptStep& step, const std::string& what) const {
  throw ScriptError(
      script_.file_name + ":" + std::to_string(step.line) + ": " + FormatStep(step) + ": " + what,
      step.line);
}

void ScriptedUi::Mismatch(const ScriptStep& step, const std::string& what) const {
  throw ScriptError(script_.file_name + ":" + std::to_string(step.line) + ": expected " +
                        Expected(step) + ", but the program " + what,
                    step.line);
}

void ScriptedUi::FailAtEnd(const std::string& what) const {
  const int line = std::max(1, script_.line_count);
  throw ScriptError(script_.file_name + ":" + std::to_string(line) +
                        ": the script ended, but the program " + what,
                    line);
}

const ScriptStep* ScriptedUi::Peek() const {
  return next_ < script_.steps.size() ? &script_.steps[next_] : nullptr;
}

const ScriptStep& ScriptedUi::Take() { return script_.steps.at(next_++); }

void ScriptedUi::Echo(const ScriptStep& step) {
  if (step.kind != StepKind::kDump) transcript_ << FormatStep(step) << '\n';
}

void ScriptedUi::Event(std::string_view line) { transcript_ << line << '\n'; }

int ScriptedUi::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  transcript_ << "message " << QuoteScriptString(text) << " caption " << QuoteScriptString(caption)
              << '\n';
  const std::string shown = "showed message " + QuoteScriptString(text);
  const ScriptStep* expect = Peek();
  if (!expect) FailAtEnd(shown);
  if (expect->kind != StepKind::kExpectMessage || expect->text != text) Mismatch(*expect, shown);
  Take();

  const ScriptStep* answer = Peek();
  const bool answered =
      answer && (answer->kind == StepKind::kPress || answer->kind == StepKind::kKeyEnter ||
                 answer->kind == StepKind::kKeyEscape);
  if (!answered) return MessageBoxDefault(type);
  Take();
  Echo(*answer);
  if (answer->kind == StepKind::kKeyEnter) return MessageBoxDefault(type);
  if (answer->kind == StepKind::kKeyEscape) {
    const int result = MessageBoxEscape(type);
    if (result == 0) Fail(*answer, "this message box cannot be closed with Escape");
    return result;
  }
  const std::vector<int> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), answer->id) == buttons.end()) {
    Fail(*answer, "the message box has no button " + std::to_string(answer->id) +
                      " (its buttons: " + ButtonList(buttons) + ")");
  }
  return answer->id;
}

int ScriptedUi::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  WindowModel window(dialog);
  const std::string line = WindowLine(window);
  transcript_ << line << '\n';
  const ScriptStep* expect = Peek();
  if (!expect) FailAtEnd("showed " + line);
  if (expect->kind != StepKind::kExpectWindow || expect->id != dialog.id) {
    Mismatch(*expect, "showed " + line);
  }
  Take();
  handler.OnInit(window);
  window.FocusFirstIfNone();
  ScriptedDialog scripted(*this, window, handler);
  RunScriptedWindow(*this, scripted);
  return window.result();
}

int ScriptedUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  transcript_ << "sheet " << QuoteScriptString(sheet.caption) << '\n';
  // Each page that becomes active is a window shown: the script expects it.
  SheetModel model(sheet, handler, [this](const WindowModel& page) {
    const std::string line = WindowLine(page);
    transcript_ << line << '\n';
    const ScriptStep* expect = Peek();
    if (!expect) FailAtEnd("showed " + line);
    if (expect->kind != StepKind::kExpectWindow || expect->id != page.dialog_id()) {
      Mismatch(*expect, "showed " + line);
    }
    Take();
  });
  model.Open();
  ScriptedSheet scripted(*this, model);
  RunScriptedWindow(*this, scripted);
  return model.result();
}

void ScriptedUi::CheckFinished(int exit_code) const {
  if (const ScriptStep* step = Peek()) {
    Mismatch(*step, "ended with exit code " + std::to_string(exit_code));
  }
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
