#include "sim/machine/host.h"

#include <cstdlib>
#include <iostream>

#include "sim/machine/machine.h"
#include "sim/machine/sim_process.h"
#include "sim/os/executed_driver.h"
#include "sim/os/regedit4.h"
#include "sim/ui/scripted_ui.h"
#include "sim/ui/ui_host.h"

namespace tunora::sim {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// Runs the program's main, turning what would kill a real process into a
// message and an exit code.
int Guarded(const std::string& program_name, const ProgramMain& main, Platform& platform,
            std::ostream& err) {
  try {
    return main(platform);
  } catch (const PrivilegedInstruction& fault) {
    err << program_name << ": " << fault.what() << '\n';
  } catch (const ProcessMemoryFault& fault) {
    err << program_name << ": " << fault.what() << '\n';
  } catch (const DriverFault& fault) {
    err << program_name << ": " << fault.what() << '\n';
  }
  return kHostProgramCrashed;
}

// TUNORA_MACHINE (else the default machine, made on first use) and
// TUNORA_UI_SCRIPT.
HostRequest RequestFromEnvironment() {
  HostRequest request;
  const std::string named = Env("TUNORA_MACHINE");
  request.machine_dir = named.empty() ? DefaultMachineDir() : fs::path(named);
  request.create_default = named.empty();
  request.script_file = Env("TUNORA_UI_SCRIPT");
  return request;
}

}  // namespace

fs::path DefaultMachineDir() {
  const std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty()) return fs::path(xdg) / "tunora" / "machine";
  const std::string home = Env("HOME");
  return fs::path(home.empty() ? "." : home) / ".local" / "share" / "tunora" / "machine";
}

int RunHosted(const std::string& program_name, const ProgramMain& main, const HostRequest& request,
              std::ostream& out, std::ostream& err) {
  const fs::path& dir = request.machine_dir;
  std::unique_ptr<Machine> machine;
  try {
    if (request.create_default && !fs::exists(dir / "machine.json")) {
      Machine::Create(dir, *BuiltinProfile(kDefaultProfile));
      err << program_name << ": created the default simulated PC (" << kDefaultProfile << ") in "
          << dir.string() << '\n';
    }
    machine = std::make_unique<Machine>(dir);
  } catch (const std::exception& error) {
    err << program_name << ": " << error.what() << '\n';
    if (!fs::exists(dir / "machine.json")) {
      err << program_name << ": create one with: tunora-sim new " << dir.string() << '\n';
    }
    return kHostMachineError;
  }

  bool reboot = false;
  std::ostream* console = request.console_program ? &out : nullptr;
  const auto run = [&](Ui& ui, bool real_time) {
    SimProcess process(*machine, ui, real_time, console);
    const int code = Guarded(program_name, main, process.platform(), err);
    reboot = process.system().reboot_requested();
    return code;
  };

  int code = 0;
  if (!request.script_file.empty()) {
    code =
        RunScriptedProgram(request.script_file, out, err, [&](Ui& ui) { return run(ui, false); });
  } else if (!request.script_text.empty()) {
    UiScript script;
    try {
      script = ParseUiScript(request.script_text, "script");
    } catch (const ScriptParseError& error) {
      err << error.what() << '\n';
      WriteExit(out, kScriptFailureExitCode);
      return kScriptFailureExitCode;
    }
    code = RunScriptedProgram(std::move(script), out, err, [&](Ui& ui) { return run(ui, false); });
  } else if (request.console_program) {
    code = RunOnConsole(err, [&](Ui& ui) { return run(ui, false); });
  } else {
    code = RunOnTerminal(
        err, [&](Ui& ui) { return run(ui, true); }, machine->drive_c());
  }

  try {
    // Windows would restart now; `tunora-sim reboot` does it.
    if (reboot) machine->pending_reboot() = true;
    machine->SaveState();
  } catch (const std::exception& error) {
    err << program_name << ": " << error.what() << '\n';
    return kHostMachineError;
  }
  return code;
}

int RunProgramOnMachine(const std::string& program_name, const ProgramMain& main, std::ostream& out,
                        std::ostream& err) {
  return RunHosted(program_name, main, RequestFromEnvironment(), out, err);
}

int RunConsoleProgramOnMachine(const std::string& program_name, const ProgramMain& main,
                               std::ostream& out, std::ostream& err) {
  HostRequest request = RequestFromEnvironment();
  request.console_program = true;
  return RunHosted(program_name, main, request, out, err);
}

}  // namespace tunora::sim
