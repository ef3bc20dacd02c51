#include "sim/host.h"

#include <cstdlib>
#include <iostream>

#include "sim/machine.h"
#include "sim/regedit4.h"
#include "sim/scripted_ui.h"
#include "sim/sim_process.h"

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
  }
  return kHostProgramCrashed;
}

}  // namespace

fs::path DefaultMachineDir() {
  const std::string xdg = Env("XDG_DATA_HOME");
  if (!xdg.empty()) return fs::path(xdg) / "tunora" / "machine";
  const std::string home = Env("HOME");
  return fs::path(home.empty() ? "." : home) / ".local" / "share" / "tunora" / "machine";
}

int RunProgramOnMachine(const std::string& program_name, const ProgramMain& main,
                        std::ostream& out, std::ostream& err) {
  const std::string named = Env("TUNORA_MACHINE");
  const fs::path dir = named.empty() ? DefaultMachineDir() : fs::path(named);
  std::unique_ptr<Machine> machine;
  try {
    if (named.empty() && !fs::exists(dir / "machine.json")) {
      Machine::Create(dir, *BuiltinProfile(kDefaultProfile));
      err << program_name << ": created the default simulated PC (" << kDefaultProfile << ") in "
          << dir.string() << '\n';
    }
    machine = std::make_unique<Machine>(dir);
  } catch (const std::exception& error) {
    err << program_name << ": " << error.what() << '\n';
    if (!named.empty() && !fs::exists(dir / "machine.json")) {
      err << program_name << ": create one with: tunora-sim new " << dir.string() << '\n';
    }
    return kHostMachineError;
  }

  bool reboot = false;
  const auto run = [&](Ui& ui, bool real_time) {
    SimProcess process(*machine, ui, real_time);
    const int code = Guarded(program_name, main, process.platform(), err);
    reboot = process.system().reboot_requested();
    return code;
  };

  int code = 0;
  const std::string script = Env("TUNORA_UI_SCRIPT");
  if (!script.empty()) {
    code = RunScriptedProgram(fs::path(script), out, err, [&](Ui& ui) { return run(ui, false); });
  } else {
    err << program_name << ": the terminal UI is not built yet; set TUNORA_UI_SCRIPT=FILE\n";
    return kHostMachineError;
  }

  try {
    if (reboot) {
      machine->Reboot();
    } else {
      machine->SaveState();
    }
  } catch (const std::exception& error) {
    err << program_name << ": " << error.what() << '\n';
    return kHostMachineError;
  }
  return code;
}

}  // namespace tunora::sim
