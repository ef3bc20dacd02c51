// Small registries for tests: load a REGEDIT4 fixture, run the code under
// test, then compare a subtree with the expected REGEDIT4 text, e.g.
//
//   auto registry =
//   MakeRegistry("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=dword:00000001\n");
//   ... code under test writes through *registry ...
//   EXPECT_EQ(ExportKey(*registry, "Software\\X"),
//             "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n\"A\"=dword:00000002\n\n");
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sim/os/sim_registry.h"

namespace tunora {

// A registry without a file. Throws sim::RegistryFileError (what() names
// "fixture" and the line) when the text does not parse.
std::unique_ptr<sim::SimRegistry> MakeRegistry(std::string_view regedit4_text,
                                               bool administrator = true);

// REGEDIT4 text of the key at `subtree_path` (relative to
// HKEY_LOCAL_MACHINE) and everything below it, header included; just
// "REGEDIT4\n\n" when the key does not exist.
std::string ExportKey(sim::SimRegistry& registry, std::string_view subtree_path);

}  // namespace tunora
