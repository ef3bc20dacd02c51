// Restarting a simulated PC and the log-on that follows, as
// `tunora-sim reboot DIR` does it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <vector>

#include "sim/machine/known_programs.h"

namespace tunora::sim {

// Where Windows keeps the commands it starts at every log-on.
inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Reboots the machine in `dir` (Machine::Reboot), then logs on: each value
// of the Run key, in order, runs when its command starts one of `programs`
// (a main on the scripted UI with nobody at the keyboard, its transcript
// on `out`; a program file as a child process with TUNORA_MACHINE=dir, its
// output relayed to `out` and `err` and its exit code reported); every
// other entry is reported as skipped. Throws MachineError when the machine
// cannot be opened.
void RebootAndLogOn(const std::filesystem::path& dir, const std::vector<KnownProgram>& programs,
                    std::ostream& out, std::ostream& err);

}  // namespace tunora::sim
