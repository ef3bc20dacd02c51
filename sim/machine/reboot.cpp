#include "sim/machine/reboot.h"

#include <ostream>

#include "sim/machine/machine.h"
#include "sim/os/sim_files.h"

namespace tunora::sim {
namespace {

struct RunEntry {
  std::string name;
  std::string command;
  const KnownProgram* program = nullptr;
};

// A REG_SZ value's text ends at its first zero (programs may store a
// whole path buffer).
std::string Text(const std::string& data) { return data.substr(0, data.find('\0')); }

}  // namespace

void RebootAndLogOn(const std::filesystem::path& dir, const std::vector<KnownProgram>& programs,
                    std::ostream& out, std::ostream& err) {
  std::vector<RunEntry> entries;
  {
    Machine machine(dir);
    machine.Reboot();
    SimFiles files(machine.drive_c(), machine.profile().windows_directory);
    if (const HiveKey* run = machine.registry().hive().FindKey(kRunKeyPath)) {
      for (const HiveValue& value : run->values()) {
        RunEntry entry{value.name, Text(value.data)};
        if (value.type == kRegSz || value.type == kRegExpandSz) {
          entry.program = FindKnownProgram(programs, entry.command, files);
        }
        entries.push_back(entry);
      }
    }
  }  // each program opens the machine itself
  out << "rebooted " << dir.string() << '\n';
  for (const RunEntry& entry : entries) {
    if (entry.program == nullptr) {
      out << "Run entry \"" << entry.name
          << "\": skipped, not a program the simulated PC runs: " << entry.command << '\n';
      continue;
    }
    out << "Run entry \"" << entry.name << "\": running " << entry.program->name << '\n';
    HostRequest request;
    request.machine_dir = dir;
    request.script_text = "# log-on: nobody at the keyboard\n";
    RunHosted(entry.program->name, entry.program->main, request, out, err);
  }
}

}  // namespace tunora::sim
