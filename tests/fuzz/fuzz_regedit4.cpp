// Arbitrary bytes as a hive file: either a RegistryFileError, or a hive
// whose export parses back to the same hive and exports to the same text.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/os/regedit4.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using tunora::sim::Hive;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Hive hive;
  try {
    hive = tunora::sim::ParseRegedit4(text);
  } catch (const tunora::sim::RegistryFileError&) {
    return 0;
  }
  const std::string exported = tunora::sim::ExportRegedit4(hive);
  Hive again;
  try {
    again = tunora::sim::ParseRegedit4(exported, "exported");
  } catch (const tunora::sim::RegistryFileError& error) {
    std::fprintf(stderr, "export does not parse: %s\n%s", error.what(), exported.c_str());
    std::abort();
  }
  if (!(again == hive) || tunora::sim::ExportRegedit4(again) != exported) {
    std::fprintf(stderr, "round trip changed the hive:\n%s", exported.c_str());
    std::abort();
  }
  return 0;
}
