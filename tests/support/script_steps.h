// Pieces of UI scripts and transcript checks shared by the acceptance
// tests: leaving the sheet and the main window, an expected message box,
// and whole transcript lines.
#pragma once

#include <string>
#include <string_view>

#include "automation/ui_script.h"

namespace tunora::testing {

// Cancel on the sheet, back at the main window.
inline const std::string kCloseSheet = "click 992\nexpect window 102\n";
// Exit on the main window.
inline const std::string kExit = "click 1003\n";
// Cancel on the sheet, then Exit.
inline const std::string kLeave = kCloseSheet + kExit;

// The step that expects a message box with exactly this text.
inline std::string ExpectMessage(std::string_view message) {
  return "expect message " + sim::QuoteScriptString(message) + "\n";
}

// A whole transcript line.
inline bool HasLine(const std::string& transcript, const std::string& line) {
  return transcript.find("\n" + line + "\n") != std::string::npos;
}

// A whole transcript line; where the focus rests is left out.
inline bool HasLineAnyFocus(std::string transcript, const std::string& line) {
  for (std::size_t at; (at = transcript.find(" focus")) != std::string::npos;) {
    transcript.erase(at, 6);
  }
  return HasLine(transcript, line);
}

}  // namespace tunora::testing
