// Scripts read from files. Kept apart from the grammar and the scripted UI
// so that builds which reuse those (the Windows automation) need no file
// streams.
#include <fstream>
#include <sstream>

#include "sim/ui/scripted_ui.h"
#include "sim/ui/ui_script.h"

namespace tunora::sim {

UiScript ReadUiScript(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw ScriptParseError(path.string() + ": cannot read the script", 0);
  }
  std::ostringstream text;
  text << in.rdbuf();
  return ParseUiScript(text.str(), path.string());
}

int RunScriptedProgram(const std::filesystem::path& script_path, std::ostream& transcript,
                       std::ostream& errors, const std::function<int(Ui&)>& program) {
  UiScript script;
  try {
    script = ReadUiScript(script_path);
  } catch (const ScriptParseError& error) {
    errors << error.what() << '\n';
    WriteExit(transcript, kScriptFailureExitCode);
    return kScriptFailureExitCode;
  }
  return RunScriptedProgram(std::move(script), transcript, errors, program);
}

}  // namespace tunora::sim
