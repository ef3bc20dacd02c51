#include "sim/ui/ui_host.h"

#include <optional>

#include "platform/platform.h"
#include "sim/ui/console_ui.h"
#include "sim/ui/scripted_ui.h"
#include "sim/ui/terminal_ui.h"

namespace tunora::sim {

int RunOnTerminal(std::ostream& err, const std::function<int(Ui&)>& program,
                  const std::filesystem::path& drive_c) {
  std::optional<TerminalUi> ui;
  try {
    ui.emplace();
    ui->SetDriveC(drive_c);
  } catch (const TerminalUnavailable& error) {
    err << error.what() << '\n';
    return kNoTerminalExitCode;
  }
  try {
    return program(*ui);
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
}

int RunOnConsole(std::ostream& messages, const std::function<int(Ui&)>& program) {
  ConsoleUi ui(messages);
  try {
    return program(ui);
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
}

int RunOnUserInterface(const char* script, std::ostream& out, std::ostream& err,
                       const std::function<int(Ui&)>& program) {
  if (script && *script) return RunScriptedProgram(script, out, err, program);
  return RunOnTerminal(err, program);
}

}  // namespace tunora::sim
