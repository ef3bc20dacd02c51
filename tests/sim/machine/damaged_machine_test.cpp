// What a damaged profile or machine directory gets: a refusal naming the
// place, never a machine that cannot open, a key tree removed, a folder
// outside the drive or a read without end; and a program whose driver
// faults ends its run with the reason, the machine's state kept.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "sim/machine/host.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/os/executed_driver.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

TEST(DamagedProfile, IsRefusedWithThePlaceNamed) {
  const struct {
    const char* what;
    std::function<void(json&)> damage;
    const char* error;  // a part of the refusal
  } cases[] = {
      {"two devices in one slot", [](json& p) { p["pci"].push_back(p["pci"][0]); },
       "device 0 is taken by pci[0]"},
      {"a Windows directory ending in a backslash",
       [](json& p) { p["windows"]["directory"] = "C:\\WINNT\\"; }, "windows.directory"},
      {"a Windows directory leaving the drive",
       [](json& p) { p["windows"]["directory"] = "C:\\..\\outside"; }, "windows.directory"},
      {"a Windows directory with a slash",
       [](json& p) { p["windows"]["directory"] = "C:\\/tmp/x"; }, "windows.directory"},
      {"a clean boot past a 32-bit number",
       [](json& p) { p["windows"]["clean_boot"] = 4294967296ull; }, "is too large"},
      {"a parameter block inside the BIOS header",
       [](json& p) { p["bios"]["parameter_block_offset"] = 0x10; }, "bios: "},
      {"a version text past the first 127 bytes",
       [](json& p) { p["bios"]["version_text"] = std::string(120, 'V'); }, "bios: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    json profile = sim::ProfileToJson(Builtin("win2000-qx2max"));
    c.damage(profile);
    try {
      sim::ProfileFromJson(profile);
      ADD_FAILURE() << "accepted";
    } catch (const sim::ProfileError& error) {
      EXPECT_NE(std::string(error.what()).find(c.error), std::string::npos) << error.what();
    }
  }
  // A Windows directory of several names is made name by name.
  sim::Profile nested = Builtin("win2000-qx2max");
  nested.windows_directory = "C:\\Windows\\NT";
  TestMachine machine(sim::ProfileFromJson(sim::ProfileToJson(nested)));
  EXPECT_TRUE(fs::is_directory(machine.dir() / "drive_c" / "Windows" / "NT" / "System32"));
}

TEST(DamagedMachine, StateAndFilesAreRefusedBeforeAnythingIsChanged) {
  TestMachine machine("win2000-qx2max");
  machine.Open()->SaveState();
  const std::string registry = machine.Registry();
  const fs::path state = machine.dir() / "state.json";
  json text = json::parse(std::ifstream(state));
  text["services"] = json::array({{{"name", ""}, {"delete_pending", true}}});
  std::ofstream(state) << text.dump();
  EXPECT_THROW(machine.Open(), sim::MachineError);

  // A pipe in place of the state would block every command.
  fs::remove(state);
  ASSERT_EQ(mkfifo(state.c_str(), 0600), 0);
  try {
    machine.Open();
    ADD_FAILURE() << "a pipe was read";
  } catch (const sim::MachineError& error) {
    EXPECT_NE(std::string(error.what()).find("not a file"), std::string::npos) << error.what();
  }
  fs::remove(state);
  EXPECT_EQ(machine.Registry(), registry);
}

TEST(DriverFault, EndsTheRunWithItsReasonAndKeepsTheMachine) {
  TestMachine machine("win2000-qx2max");
  ASSERT_FALSE(fs::exists(machine.dir() / "state.json"));
  const ProgramRun run = machine.Run(
      [](Platform&) -> int { throw sim::DriverFault("hwgate4 faulted: a stray write"); }, "");
  EXPECT_EQ(run.exit_code, sim::kHostProgramCrashed);
  EXPECT_EQ(run.errors, "tunora: hwgate4 faulted: a stray write\n");
  EXPECT_TRUE(fs::exists(machine.dir() / "state.json"));
}

}  // namespace
}  // namespace tunora::testing
