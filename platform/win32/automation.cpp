#include "platform/win32/automation.h"

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"
#include "sim/ui/scripted_ui.h"

namespace tunora::win32 {
namespace {

std::string Expected(const sim::ScriptStep& step) {
  switch (step.kind) {
    case sim::StepKind::kExpectWindow:
      return "window " + std::to_string(step.id);
    case sim::StepKind::kExpectMessage:
      return "message " + sim::QuoteScriptString(step.text);
    default:
      return sim::FormatStep(step);
  }
}

}  // namespace

std::unique_ptr<Automation> Automation::FromEnvironment() {
  const char* script_path = std::getenv("TUNORA_UI_SCRIPT");
  if (!script_path || !*script_path) return nullptr;
  const char* transcript = std::getenv("TUNORA_TRANSCRIPT");
  sim::UiScript script;
  std::string error;
  try {
    script = sim::ReadUiScript(script_path);
  } catch (const sim::ScriptParseError& parse) {
    error = parse.what();
  }
  return std::make_unique<Automation>(std::move(script),
                                      transcript ? transcript : "tunora-transcript.txt", error);
}

Automation::Automation(sim::UiScript script, const std::string& transcript_path,
                       std::string load_error)
    : script_(std::move(script)),
      transcript_(std::fopen(transcript_path.c_str(), "wb")),
      load_error_(std::move(load_error)) {
  if (const char* dir = std::getenv("TUNORA_SCREENSHOT_DIR")) screenshot_dir_ = dir;
}

Automation::~Automation() {
  if (transcript_) std::fclose(transcript_);
}

void Automation::Line(std::string_view line) {
  if (!transcript_) return;
  std::fwrite(line.data(), 1, line.size(), transcript_);
  std::fputc('\n', transcript_);
  std::fflush(transcript_);
}

void Automation::Abort(const std::string& message) {
  failed_ = true;
  Line("error: " + message);
  EndProcess(sim::kScriptFailureExitCode);
}

void Automation::CheckLoaded() {
  if (!load_error_.empty()) Abort(load_error_);
}

void Automation::Fail(const sim::ScriptStep& step, const std::string& what) {
  Abort(script_.file_name + ":" + std::to_string(step.line) + ": " + sim::FormatStep(step) + ": " +
        what);
}

void Automation::Mismatch(const sim::ScriptStep& step, const std::string& what) {
  Abort(script_.file_name + ":" + std::to_string(step.line) + ": expected " + Expected(step) +
        ", but the program " + what);
}

void Automation::FailAtEnd(const std::string& what) {
  Abort(script_.file_name + ":" + std::to_string(std::max(1, script_.line_count)) +
        ": the script ended, but the program " + what);
}

const sim::ScriptStep* Automation::Peek() const {
  return next_ < script_.steps.size() ? &script_.steps[next_] : nullptr;
}

void Automation::Expect(const std::string& shown, bool matches_kind, int id,
                        std::string_view text) {
  CheckLoaded();
  Line(shown);
  const sim::ScriptStep* expect = Peek();
  if (!expect) FailAtEnd("showed " + shown);
  const bool matches =
      matches_kind && (expect->kind == sim::StepKind::kExpectWindow
                           ? expect->id == id
                           : expect->kind == sim::StepKind::kExpectMessage && expect->text == text);
  if (!matches) Mismatch(*expect, "showed " + shown);
  ++next_;
}

void Automation::WindowShown(int id, std::string_view title) {
  const std::string line = "window " + std::to_string(id) + " " + sim::QuoteScriptString(title);
  const sim::ScriptStep* expect = Peek();
  Expect(line, expect && expect->kind == sim::StepKind::kExpectWindow, id, {});
}

void Automation::SheetShown(std::string_view caption) {
  CheckLoaded();
  Line("sheet " + sim::QuoteScriptString(caption));
}

int Automation::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  const std::string line =
      "message " + sim::QuoteScriptString(text) + " caption " + sim::QuoteScriptString(caption);
  const sim::ScriptStep* expect = Peek();
  Expect(line, expect && expect->kind == sim::StepKind::kExpectMessage, 0, text);
  const sim::ScriptStep* answer = Peek();
  const bool answered = answer && (answer->kind == sim::StepKind::kPress ||
                                   answer->kind == sim::StepKind::kKeyEnter ||
                                   answer->kind == sim::StepKind::kKeyEscape);
  if (!answered) return sim::MessageBoxDefault(type);
  ++next_;
  Line(sim::FormatStep(*answer));
  if (answer->kind == sim::StepKind::kKeyEnter) return sim::MessageBoxDefault(type);
  if (answer->kind == sim::StepKind::kKeyEscape) {
    const int result = sim::MessageBoxEscape(type);
    if (result == 0) Fail(*answer, "this message box cannot be closed with Escape");
    return result;
  }
  const std::vector<int> buttons = sim::MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), answer->id) == buttons.end()) {
    Fail(*answer, "the message box has no button " + std::to_string(answer->id));
  }
  return answer->id;
}

sim::ScriptStep Automation::TakeAction(const std::string& waiting) {
  const sim::ScriptStep* step = Peek();
  if (!step) FailAtEnd("waits for the user in " + waiting);
  if (sim::IsExpectStep(*step)) Mismatch(*step, "waits for the user in " + waiting);
  ++next_;
  if (step->kind != sim::StepKind::kDump) Line(sim::FormatStep(*step));
  return *step;
}

int Automation::Finish(int exit_code) {
  if (!failed_) {
    if (!load_error_.empty()) {
      failed_ = true;
      Line("error: " + load_error_);
    } else if (const sim::ScriptStep* step = Peek()) {
      failed_ = true;
      Line("error: " + script_.file_name + ":" + std::to_string(step->line) + ": expected " +
           Expected(*step) + ", but the program ended with exit code " + std::to_string(exit_code));
    }
  }
  const int code = failed_ ? sim::kScriptFailureExitCode : exit_code;
  Line("exit " + std::to_string(code));
  return code;
}

std::string Automation::ScreenshotFor(const std::string& waiting) {
  if (screenshot_dir_.empty()) return {};
  if (std::find(photographed_.begin(), photographed_.end(), waiting) != photographed_.end()) {
    return {};
  }
  photographed_.push_back(waiting);
  // `window 130 "AGP"` or `sheet "..." on window 130 "AGP"`: the last id.
  const std::size_t at = waiting.rfind("window ");
  if (at == std::string::npos) return {};
  const std::string rest = waiting.substr(at + 7);
  const std::string id = rest.substr(0, rest.find(' '));
  const bool sheet = waiting.rfind("sheet ", 0) == 0;
  return screenshot_dir_ + "\\" + (sheet ? "sheet-" : "window-") + id + ".png";
}

}  // namespace tunora::win32
