// Running a program file of this computer as a child process, with its
// standard output and error relayed to streams: how the log-on starts a
// program that tunora wrote onto the simulated PC's drive.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

namespace tunora::sim {

struct ChildEnd {
  bool exited = false;  // else ended by `signal`
  int code = 0;
  int signal = 0;
};

// Starts `file` (no shell, no arguments, standard input from /dev/null)
// with exactly `environment` ("NAME=value" entries), relays its output
// until it ends and waits for it. Throws std::system_error when it cannot
// be started.
ChildEnd RunChildProcess(const std::filesystem::path& file,
                         const std::vector<std::string>& environment, std::ostream& out,
                         std::ostream& err);

// This process's environment without the variables named in `drop`, with
// `add` ("NAME=value" entries) appended.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& drop,
                                          const std::vector<std::string>& add);

}  // namespace tunora::sim
