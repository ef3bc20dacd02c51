// The Windows adapters under Wine keep the ports' promises, the same ones
// the simulated PC is held to (tests/contract/port_contract.h). Prints one
// line per broken promise and exits with their count.
//
//   adapter-contract.exe PLATFORM_ID MAJOR    # what GetVersionEx must say
#include <cstdio>
#include <cstdlib>

#include "tests/contract/port_contract.h"
// clang-format off
#include "platform/win32/files_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/system_win32.h"
// clang-format on

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: adapter-contract PLATFORM_ID MAJOR\n");
    return 2;
  }
  tunora::win32::Win32Registry registry;
  tunora::win32::Win32Files files;
  tunora::win32::Win32System system;
  int failures = 0;
  const auto report = [&](const char* port, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) std::printf("FAIL %s: %s\n", port, line.c_str());
    if (lines.empty()) std::printf("ok   %s\n", port);
    failures += static_cast<int>(lines.size());
  };
  report("registry", tunora::contract::CheckRegistry(registry));
  report("files", tunora::contract::CheckFiles(files));
  report("system",
         tunora::contract::CheckSystem(system, static_cast<std::uint32_t>(std::atoi(argv[1])),
                                       static_cast<std::uint32_t>(std::atoi(argv[2]))));
  return failures;
}
