#include "tests/support/registry_fixture.h"

#include "sim/os/regedit4.h"

namespace tunora {

std::unique_ptr<sim::SimRegistry> MakeRegistry(std::string_view regedit4_text, bool administrator) {
  return std::make_unique<sim::SimRegistry>(sim::ParseRegedit4(regedit4_text, "fixture"),
                                            administrator);
}

std::string ExportKey(sim::SimRegistry& registry, std::string_view subtree_path) {
  return sim::ExportRegedit4(registry.hive(), subtree_path);
}

}  // namespace tunora
