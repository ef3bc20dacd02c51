// UI scripts: plain-text lists of what the program must show and what the
// user does, one step a line. The scripted UI replays them and writes a
// transcript; tests and automation drive whole programs this way.
//
//   # the main window, then its about box through the system menu
//   expect window 102
//   sysmenu 16
//   expect window 100
//   press 1
//   expect message "Really?\nSure?"
//   press 7
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tunora::sim {

enum class StepKind {
  kExpectMessage,  // text
  kExpectWindow,   // id
  kClick,          // id
  kCheck,          // id
  kUncheck,        // id
  kSelect,         // id, value = item index
  kType,           // id, text
  kSlider,         // id, value = position
  kTab,            // text = page title
  kPress,          // id = button result id
  kKeyEscape,
  kKeyEnter,
  kSysMenu,  // id = system command
  kDump,
};

struct ScriptStep {
  StepKind kind;
  int line = 0;  // 1-based line in the script file
  int id = 0;
  int value = 0;
  std::string text;

  bool operator==(const ScriptStep&) const = default;
};

struct UiScript {
  std::string file_name;  // as given, for messages ("script.txt:7: ...")
  std::vector<ScriptStep> steps;
  int line_count = 0;
};

// A script that cannot be read or parsed; what() names file and line.
class ScriptParseError : public std::runtime_error {
 public:
  ScriptParseError(const std::string& message, int line)
      : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

UiScript ParseUiScript(std::string_view text, std::string_view file_name);
// The script in the file at `path`; throws ScriptParseError when it cannot
// be read or parsed.
UiScript ReadUiScript(const std::string& path);

// Quotes a string with the script escapes (\n, \", \\): the form used in
// scripts and in the transcript alike.
std::string QuoteScriptString(std::string_view text);

// The step as it reads in a script (canonical spacing, decimal numbers,
// quoted strings), e.g. `type 1105 "5500"`. The transcript echoes actions
// in this form.
std::string FormatStep(const ScriptStep& step);

bool IsExpectStep(const ScriptStep& step);

}  // namespace tunora::sim
