#include "platform/win32/automation.h"

#include <algorithm>
#include <cstdlib>

#include "platform/platform.h"

namespace tunora::win32 {

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
    : ScriptRunner(std::move(script)),
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

void Automation::Abort(const std::string& message, int line) {
  (void)line;
  failed_ = true;
  Line("error: " + message);
  EndProcess(sim::kScriptFailureExitCode);
}

void Automation::CheckLoaded() {
  if (!load_error_.empty()) Abort(load_error_, 0);
}

void Automation::Shown(int id, std::string_view title) {
  CheckLoaded();
  WindowShown(id, title);
}

void Automation::SheetOpened(std::string_view caption) {
  CheckLoaded();
  SheetShown(caption);
}

int Automation::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  CheckLoaded();
  return AnswerMessageBox(text, caption, type);
}

int Automation::Finish(int exit_code) {
  if (!failed_) {
    if (!load_error_.empty()) {
      failed_ = true;
      Line("error: " + load_error_);
    } else if (const sim::ScriptStep* step = Peek()) {
      failed_ = true;
      Line("error: " + MismatchText(*step, "ended with exit code " + std::to_string(exit_code)));
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
