#include "sim/machine/reboot.h"

#include <ostream>
#include <system_error>

#include "sim/machine/child_process.h"
#include "sim/machine/machine.h"
#include "sim/os/sim_files.h"

namespace tunora::sim {
namespace {

namespace fs = std::filesystem;

struct RunEntry {
  std::string name;
  std::string command;
  bool text = false;  // REG_SZ or REG_EXPAND_SZ: a command at all
};

// A REG_SZ value's text ends at its first zero (programs may store a
// whole path buffer).
std::string Text(const std::string& data) { return data.substr(0, data.find('\0')); }

// Starts the entry's file itself, as Windows would, on the machine it lies
// on; nobody is at the keyboard, so the program gets the console UI.
void RunFile(const RunEntry& entry, const KnownProgram& program, SimFiles& files,
             const fs::path& dir, std::ostream& out, std::ostream& err) {
  const std::string line = "Run entry \"" + entry.name + "\": " + program.name;
  const std::optional<fs::path> file = files.Resolve(CommandProgramPath(entry.command));
  if (!file) return;        // FindKnownProgram has just read it
  std::error_code ignored;  // a file that stays unexecutable fails to start below
  fs::permissions(*file, fs::perms::owner_exec, fs::perm_options::add, ignored);
  try {
    const ChildEnd end =
        RunChildProcess(*file,
                        ChildEnvironment({"TUNORA_MACHINE", "TUNORA_UI_SCRIPT"},
                                         {"TUNORA_MACHINE=" + fs::absolute(dir).string()}),
                        out, err);
    if (end.exited) {
      out << line << " exited with code " << end.code << '\n';
    } else {
      out << line << " ended by signal " << end.signal << '\n';
    }
  } catch (const std::system_error& error) {
    out << line << " could not be started: " << error.what() << '\n';
  }
}

}  // namespace

void RebootAndLogOn(const fs::path& dir, const std::vector<KnownProgram>& programs,
                    std::ostream& out, std::ostream& err) {
  std::vector<RunEntry> entries;
  fs::path drive_c;
  std::string windows_directory;
  {
    Machine machine(dir);
    machine.Reboot();
    drive_c = machine.drive_c();
    windows_directory = machine.profile().windows_directory;
    if (const HiveKey* run = machine.registry().hive().FindKey(kRunKeyPath)) {
      for (const HiveValue& value : run->values()) {
        entries.push_back(
            {value.name, Text(value.data), value.type == kRegSz || value.type == kRegExpandSz});
      }
    }
  }  // each program opens the machine itself
  SimFiles files(drive_c, windows_directory);
  out << "rebooted " << dir.string() << '\n';
  for (const RunEntry& entry : entries) {
    // Checked right before the start: an earlier entry may change the file.
    const KnownProgram* program =
        entry.text ? FindKnownProgram(programs, entry.command, files) : nullptr;
    if (program == nullptr) {
      out << "Run entry \"" << entry.name
          << "\": skipped, not a program the simulated PC runs: " << entry.command << '\n';
      continue;
    }
    out << "Run entry \"" << entry.name << "\": running " << program->name << '\n';
    if (!program->main) {
      RunFile(entry, *program, files, dir, out, err);
      continue;
    }
    HostRequest request;
    request.machine_dir = dir;
    request.script_text = "# log-on: nobody at the keyboard\n";
    RunHosted(program->name, program->main, request, out, err);
  }
}

}  // namespace tunora::sim
