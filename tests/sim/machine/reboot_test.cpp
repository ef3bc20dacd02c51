// Restarting a simulated PC: the pending mark a program's restart leaves,
// what the reboot resets, and the Run entries of the log-on that follows.
#include "sim/machine/reboot.h"

#include <gtest/gtest.h>

#include <sstream>

#include "sim/os/sim_files.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

std::string Reboot(const TestMachine& machine,
                   const std::vector<sim::KnownProgram>& programs = {}) {
  std::ostringstream out, err;
  sim::RebootAndLogOn(machine.dir(), programs, out, err);
  EXPECT_EQ(err.str(), "");
  return out.str();
}

// "Reboot Now": enable the privilege, then restart; the exit code tells which worked.
int RebootNow(Platform& platform) {
  const int enabled = platform.system.EnableShutdownPrivilege() ? 1 : 0;
  return enabled + (platform.system.ExitWindows(kEwxReboot) ? 2 : 0);
}

TEST(PendingReboot, ARestartIsKeptUntilTheReboot) {
  struct Case {
    const char* profile;
    bool privilege;
    int exit_code;  // 1: privilege enabled, 2: restart accepted
  } cases[] = {
      {"win2000-qx2max", true, 3},
      {"win2000-qx2max", false, 0},  // NT refuses the restart without it
      {"win98-qx1", false, 3},       // 9x has no privileges
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + (c.privilege ? "" : ", privilege denied"));
    sim::Profile profile = Builtin(c.profile);
    profile.shutdown_privilege = c.privilege;
    TestMachine machine(profile);
    std::ostringstream out, err;
    EXPECT_EQ(sim::RunHosted("tunora", RebootNow, {machine.dir(), false, {}, "# none\n"}, out, err),
              c.exit_code);
    const std::string summary = "profile: " + profile.name + "\nboot: ";
    EXPECT_EQ(machine.Open()->Summary(),
              summary + "1\npending reboot: " + (c.exit_code & 2 ? "yes\n" : "no\n"));
    Reboot(machine);
    EXPECT_EQ(machine.Open()->Summary(), summary + "2\npending reboot: no\n");
  }
}

TEST(Reboot, ResetsServicesAsWindowsDoesAtBootAndCardsToPowerOn) {
  struct Case {
    const char* service;
    bool stop_pending, delete_pending;
  } cases[] = {{"running", false, false},
               {"stopping", true, false},
               {"deleted", false, true},
               {"stopping_deleted", true, true}};
  TestMachine machine("win2000-user");  // the boot removes keys whoever logs on
  std::uint8_t power_on_n = 0;
  std::uint32_t power_on_option = 0;
  {
    auto m = machine.Open();
    for (const Case& c : cases) {
      m->registry().hive().SetString(sim::ServiceKeyPath(c.service), "ImagePath", "x.sys");
      m->services().services[c.service] = {c.service,      "x.sys",          true,
                                           c.stop_pending, c.delete_pending, DriverKind::kHwgate4};
    }
    m->registry().NoteChange();
    power_on_n = m->cards()[0]->Dac(sim::kDacPllN);
    power_on_option = m->bus().Find(1, 0)->Read32(0x40);
    m->cards()[0]->SetDividers(6, static_cast<std::uint8_t>(power_on_n + 9), 0);
    m->bus().Find(1, 0)->Set32(0x40, power_on_option ^ 0x100);
    m->SaveState();
  }
  EXPECT_TRUE(machine.Open()->services().services.at("stopping").stop_pending);  // kept till then
  Reboot(machine);
  auto after = machine.Open();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.service);
    const auto& services = after->services().services;
    EXPECT_EQ(after->registry().hive().FindKey(sim::ServiceKeyPath(c.service)) != nullptr,
              !c.delete_pending);
    ASSERT_EQ(services.count(c.service), c.delete_pending ? 0u : 1u);
    if (!c.delete_pending) {
      EXPECT_FALSE(services.at(c.service).running || services.at(c.service).stop_pending);
    }
  }
  EXPECT_EQ(after->cards()[0]->Dac(sim::kDacPllN), power_on_n);
  EXPECT_EQ(after->bus().Find(1, 0)->Read32(0x40), power_on_option);
}

int ToolMain(Platform&) { return 7; }

TEST(LogOn, RunEntriesRunKnownProgramsAndTheRestAreSkipped) {
  const std::vector<sim::KnownProgram> programs = {{"tool", "Tool.exe", "tool image", ToolMain},
                                                   {"gadget", "Gadget.exe", "gadget", ToolMain}};
  struct Entry {
    const char* name;
    const char* command;
    bool runs;
  } entries[] = {
      {"Tool", "C:\\WINNT\\Tool.exe", true},
      {"Quoted", "\"c:\\winnt\\TOOL.EXE\" /quiet", true},
      {"Elsewhere", "\"C:\\Program Files\\Tool.exe\"", false},  // right bytes, other folder
      {"Altered", "C:\\WINNT\\Gadget.exe", false},              // right name, other bytes
      {"Unknown", "C:\\WINNT\\notepad.exe", false},
  };
  TestMachine machine("win2000-qx2max");
  std::string expected = "rebooted " + machine.dir().string() + "\n";
  {
    auto m = machine.Open();
    sim::SimFiles files(m->drive_c(), m->profile().windows_directory);
    files.WriteFile("C:\\WINNT\\Tool.exe", "tool image");
    files.WriteFile("C:\\Program Files\\Tool.exe", "tool image");
    files.WriteFile("C:\\WINNT\\Gadget.exe", "not the gadget");
    for (const Entry& entry : entries) {
      m->registry().hive().SetString(sim::kRunKeyPath, entry.name, entry.command);
      expected += "Run entry \"" + std::string(entry.name) + "\": ";
      expected += entry.runs ? "running tool\nexit 7\n"
                             : "skipped, not a program the simulated PC runs: " +
                                   std::string(entry.command) + "\n";
    }
    m->registry().NoteChange();
  }
  EXPECT_EQ(Reboot(machine, programs), expected);
}

}  // namespace
}  // namespace tunora::testing
