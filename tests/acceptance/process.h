// Runs the built programs as processes, the way a user or a script would.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tunora::testing {

struct ProcessResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs bin/<program> with the arguments and extra environment variables.
ProcessResult RunBinary(const std::string& program, const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& env = {});

}  // namespace tunora::testing
