#include "sim/machine/known_programs.h"

#include "resources/embedded.h"
#include "sim/os/hive.h"

namespace tunora::sim {

std::vector<KnownProgram> KnownPrograms() {
  // lockstep is the file tunora wrote out of its resource 170: the built
  // lockstep executable, run as it is.
  return {{"lockstep", "Lockstep.exe", *TunoraResource(kResLockstep), {}}};
}

std::string CommandProgramPath(std::string_view command) {
  const std::size_t start = command.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  command.remove_prefix(start);
  if (command.front() == '"') {
    command.remove_prefix(1);
    return std::string(command.substr(0, command.find('"')));
  }
  return std::string(command.substr(0, command.find(' ')));
}

const KnownProgram* FindKnownProgram(const std::vector<KnownProgram>& programs,
                                     std::string_view command, Files& files) {
  const std::string path = CommandProgramPath(command);
  for (const KnownProgram& program : programs) {
    if (!NamesEqual(path, files.WindowsDirectory() + "\\" + program.file_name)) continue;
    const std::optional<std::string> bytes = files.ReadFile(path);
    if (bytes && *bytes == program.image) return &program;
  }
  return nullptr;
}

}  // namespace tunora::sim
