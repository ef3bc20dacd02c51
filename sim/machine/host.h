// Running a program (tunora or lockstep) as a process on a simulated
// machine: which machine (TUNORA_MACHINE, else the default one under the
// user's data directory), which UI (TUNORA_UI_SCRIPT, else the terminal),
// and what the run leaves behind (the machine's volatile state, a pending
// reboot).
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

#include "platform/platform.h"

namespace tunora::sim {

// $XDG_DATA_HOME/tunora/machine, else ~/.local/share/tunora/machine.
std::filesystem::path DefaultMachineDir();

using ProgramMain = std::function<int(Platform&)>;

// Exit codes of the host itself (the programs use 0 and 1).
inline constexpr int kHostMachineError = 2;
inline constexpr int kHostProgramCrashed = 3;

struct HostRequest {
  std::filesystem::path machine_dir;
  bool create_default = false;  // make the default machine there when missing
  // The scripted UI reads this script (a file, or the text itself);
  // without either the terminal UI runs.
  std::filesystem::path script_file;
  std::string script_text;
  // A console program (lockstep): its standard output is `out`, between
  // the transcript's lines when scripted; without a script its UI is the
  // console UI (message boxes on `err`, virtual time), not the terminal.
  bool console_program = false;
};

int RunHosted(const std::string& program_name, const ProgramMain& main, const HostRequest& request,
              std::ostream& out, std::ostream& err);

// The same, told by the environment: TUNORA_MACHINE and TUNORA_UI_SCRIPT.
int RunProgramOnMachine(const std::string& program_name, const ProgramMain& main, std::ostream& out,
                        std::ostream& err);
// A console program (HostRequest::console_program) told by the environment.
int RunConsoleProgramOnMachine(const std::string& program_name, const ProgramMain& main,
                               std::ostream& out, std::ostream& err);

}  // namespace tunora::sim
