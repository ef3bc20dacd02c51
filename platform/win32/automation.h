// Test-only automation of the real windows: when TUNORA_UI_SCRIPT names a
// UI script, the windows take its steps as the scripted UI does, with the
// same checks and failure texts (automation/script_runner.h), and write
// the same transcript lines to the file TUNORA_TRANSCRIPT names (a GUI
// program's standard output is unreliable under Wine). Message boxes are
// not shown then: their line is written and the scripted answer returned.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/script_runner.h"
#include "automation/ui_script.h"

namespace tunora::win32 {

class Automation : public sim::ScriptRunner {
 public:
  // Null unless TUNORA_UI_SCRIPT is set.
  static std::unique_ptr<Automation> FromEnvironment();
  Automation(sim::UiScript script, const std::string& transcript_path, std::string load_error);
  ~Automation() override;

  void Line(std::string_view line) override;
  // Throws the pending load error, if any (exit code 99).
  void CheckLoaded();
  // `window ID "TITLE"`, which must be the next expect step.
  void Shown(int id, std::string_view title);
  void SheetOpened(std::string_view caption);
  // The message line; the answer is the scripted button, Enter's or Escape's.
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type);

  // At the end of the run: steps left are a failure (99); writes `exit N`.
  int Finish(int exit_code);

  // With TUNORA_SCREENSHOT_DIR set: the first time a window (or a sheet on
  // a page) waits for the user, the file name it should be saved under
  // ("window-102.png", "sheet-130.png"); empty otherwise.
  std::string ScreenshotFor(const std::string& waiting);

 protected:
  // Writes `error: WHAT` and ends the process with code 99.
  void Abort(const std::string& message, int line) override;

 private:
  // C stdio, not iostreams: std::fstream would import msvcrt calls that
  // Windows 98 and NT 4 lack.
  std::FILE* transcript_ = nullptr;
  std::string load_error_;
  std::string screenshot_dir_;
  bool failed_ = false;
  std::vector<std::string> photographed_;
};

}  // namespace tunora::win32
