// tunora as a process on the built-in machines: what each road shows, how
// each refusal ends, and what the run leaves in the registry and on C:.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "tests/acceptance/process.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

class Machine {
 public:
  explicit Machine(const std::string& profile) : dir_((temp_.path() / "pc").string()) {
    const ProcessResult made = RunBinary("tunora-sim", {"new", dir_, "--profile", profile});
    EXPECT_EQ(made.exit_code, 0) << made.err;
  }
  const std::string& dir() const { return dir_; }

  ProcessResult Run(const std::string& script) const {
    const std::string file = (temp_.path() / "script.txt").string();
    std::ofstream(file) << script;
    return RunBinary("tunora", {}, {{"TUNORA_MACHINE", dir_}, {"TUNORA_UI_SCRIPT", file}});
  }
  std::string Registry() const { return RunBinary("tunora-sim", {"show", dir_, "registry"}).out; }
  bool HasFile(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::path(dir_) / "drive_c" / relative);
  }

 private:
  TempDir temp_;
  std::string dir_;
};

struct RoadCase {
  const char* profile;
  const char* card;
  const char* platform;
  const char* windows_dir;  // as created in drive_c
  bool nt;
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.profile; }

class MainWindowOnEachRoad : public ::testing::TestWithParam<RoadCase> {};

TEST_P(MainWindowOnEachRoad, NamesCardAndPlatformAndCleansUp) {
  const RoadCase& c = GetParam();
  Machine machine(c.profile);
  const ProcessResult run = machine.Run("expect window 102\ndump\nkey escape\n");
  const std::string expected = std::string(
                                   "window 102 \"Quillex Tunora Tweak Utility\"\n"
                                   "control -1 picture \"#131\"\n"
                                   "control 1004 button \"Tweak\" default focus\n"
                                   "control 1003 button \"Exit\"\n"
                                   "control -1 group \"Current Card\"\n"
                                   "control 1074 static \"") +
                               c.card + "\"\ncontrol 102 static \"" + c.platform +
                               "\"\nkey escape\nexit 0\n";
  EXPECT_EQ(run.out, expected) << run.err;
  EXPECT_EQ(run.exit_code, 0);

  const std::string registry = machine.Registry();
  const std::string windows = c.windows_dir;
  // The start-up scan's driver leaves nothing behind on any road.
  EXPECT_EQ(registry.find("Services\\hwgate2"), std::string::npos);
  EXPECT_FALSE(machine.HasFile(windows + "/System32/Drivers/hwgate2.sys"));
  EXPECT_FALSE(machine.HasFile(windows + "/hwgt9x.vxd"));
  // The bus-1 search keeps hwgate4 loaded on NT once it found the card.
  EXPECT_EQ(machine.HasFile(windows + "/System32/Drivers/hwgate4.sys"), c.nt);
  EXPECT_EQ(registry.find("Services\\hwgate4]") != std::string::npos, c.nt);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, MainWindowOnEachRoad,
    ::testing::Values(
        RoadCase{"win2000-qx2max", "Quillex Solace QX2 DUO MAX", "Windows 2000", "WINNT", true},
        RoadCase{"win98-qx1", "Quillex Vireo QX1", "Windows 98", "WINDOWS", false},
        RoadCase{"winme-qx2e-qtv", "Quillex QX2E QTV", "Windows ME", "WINDOWS", false},
        RoadCase{"nt4-qx2", "Quillex Solace QX2", "Windows NT", "WINNT", true},
        RoadCase{"winxp-qx3", "Quillex Solace QX3", "Windows XP", "WINDOWS", true}),
    [](const ::testing::TestParamInfo<RoadCase>& param_info) {
      std::string name = param_info.param.profile;
      for (char& ch : name) ch = ch == '-' ? '_' : ch;
      return name;
    });

struct RefusalCase {
  const char* profile;
  const char* message;
  const char* caption;
  int exit_code;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.profile; }

class Refusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusals, ShowTheirMessageAndEndWithTheirCode) {
  const RefusalCase& c = GetParam();
  Machine machine(c.profile);
  const ProcessResult run = machine.Run(std::string("expect message \"") + c.message + "\"\n");
  EXPECT_EQ(run.out, std::string("message \"") + c.message + "\" caption \"" + c.caption +
                         "\"\nexit " + std::to_string(c.exit_code) + "\n")
      << run.err;
  EXPECT_EQ(run.exit_code, c.exit_code);
  // Refused before any driver was deployed.
  EXPECT_EQ(machine.Registry().find("hwgate"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, Refusals,
    ::testing::Values(RefusalCase{"win95", "This platform is NOT supported!", "tunora", 1},
                      RefusalCase{"win2000-user",
                                  "WARNING!!! You do NOT have administrator priviliges on this "
                                  "machine.\\n\\nClick OK to Exit!",
                                  "tunora", 0},
                      RefusalCase{"win2000-safemode",
                                  "This utility cannot be used in Windows SafeMode!", "tunora", 0}),
    [](const ::testing::TestParamInfo<RefusalCase>& param_info) {
      std::string name = param_info.param.profile;
      for (char& ch : name) ch = ch == '-' ? '_' : ch;
      return name;
    });

TEST(NoCard, ShowsTheNoCardWindowAndEndsWithZero) {
  Machine machine("win2000-nocard");
  const ProcessResult run = machine.Run("expect window 151\nclick 1028\n");
  EXPECT_EQ(run.out, "window 151 \"Quillex Tunora Tweak Utility\"\nclick 1028\nexit 0\n")
      << run.err;
  EXPECT_EQ(run.exit_code, 0);
  // Neither driver stays: the bus-1 search found nothing to keep.
  EXPECT_FALSE(machine.HasFile("WINNT/System32/Drivers/hwgate4.sys"));
  EXPECT_FALSE(machine.HasFile("WINNT/System32/Drivers/hwgate2.sys"));
  EXPECT_EQ(machine.Registry().find("Services\\hwgate2"), std::string::npos);
}

TEST(MainWindow, ExitButtonAndAboutBox) {
  Machine machine("win2000-qx2max");
  const ProcessResult run =
      machine.Run("expect window 102\nsysmenu 16\nexpect window 100\nclick 1\nclick 1003\n");
  EXPECT_EQ(run.out,
            "window 102 \"Quillex Tunora Tweak Utility\"\nsysmenu 16\n"
            "window 100 \"About Quillex Tunora Tweak Utility\"\nclick 1\nclick 1003\nexit 0\n")
      << run.err;
  EXPECT_EQ(run.exit_code, 0);
}

TEST(MainWindow, SecondRunFindsTheLeftoverServicesAndStillStarts) {
  Machine machine("win2000-qx2max");
  ASSERT_EQ(machine.Run("expect window 102\nkey escape\n").exit_code, 0);
  const ProcessResult again = machine.Run("expect window 102\nkey escape\n");
  EXPECT_EQ(again.exit_code, 0) << again.out << again.err;
}

TEST(UnknownPlatform, IsRefusedWithTheErrorCaption) {
  TempDir temp;
  nlohmann::json profile =
      nlohmann::json::parse(RunBinary("tunora-sim", {"profile", "win2000-qx2max"}).out);
  profile["name"] = "win32s";
  profile["windows"]["platform_id"] = 0;
  const std::string file = (temp.path() / "win32s.json").string();
  std::ofstream(file) << profile.dump();
  const std::string dir = (temp.path() / "pc").string();
  ASSERT_EQ(RunBinary("tunora-sim", {"new", dir, "--profile", file}).exit_code, 0);
  const std::string script = (temp.path() / "s.txt").string();
  std::ofstream(script) << "expect message \"This platfrom is not supported!\"\n";
  const ProcessResult run =
      RunBinary("tunora", {}, {{"TUNORA_MACHINE", dir}, {"TUNORA_UI_SCRIPT", script}});
  EXPECT_EQ(run.out,
            "message \"This platfrom is not supported!\" caption \"TUNORA_UTIL ERROR!!!\"\n"
            "exit 0\n");
  EXPECT_EQ(run.exit_code, 0);
}

TEST(Scripts, AMismatchOrAnEarlyEndStopsTheRunWithNinetyNine) {
  Machine machine("win2000-qx2max");
  const ProcessResult mismatch = machine.Run("# wrong window\nexpect window 151\n");
  EXPECT_EQ(mismatch.exit_code, 99);
  EXPECT_NE(mismatch.err.find(":2:"), std::string::npos) << mismatch.err;
  EXPECT_NE(mismatch.out.find("exit 99"), std::string::npos);

  const ProcessResult early = machine.Run("expect window 102\n");
  EXPECT_EQ(early.exit_code, 99);
  EXPECT_FALSE(early.err.empty());
}

TEST(Machines, ADamagedRegistryStopsTheProgramNamingFileAndLine) {
  Machine machine("win2000-qx2max");
  const std::filesystem::path hive = std::filesystem::path(machine.dir()) / "registry.reg";
  std::ofstream(hive, std::ios::app) << "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Broken\n";
  const ProcessResult run = machine.Run("expect window 102\nkey escape\n");
  EXPECT_NE(run.exit_code, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("registry.reg:"), std::string::npos) << run.err;
  // The damaged file is left as it was, never replaced by an empty hive.
  std::ifstream in(hive);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Services\\Tcpip"), std::string::npos);
}

TEST(SimulatorCli, ListsPrintsAndCreatesProfiles) {
  const ProcessResult list = RunBinary("tunora-sim", {"profiles"});
  ASSERT_EQ(list.exit_code, 0);
  for (const char* name : {"win2000-qx2max", "win98-qx1", "winme-qx2e-qtv", "nt4-qx2", "winxp-qx3",
                           "win95", "win2000-nocard", "win2000-user", "win2000-safemode"}) {
    EXPECT_NE(list.out.find(name), std::string::npos) << name;
    const ProcessResult json = RunBinary("tunora-sim", {"profile", name});
    EXPECT_EQ(json.exit_code, 0);
    EXPECT_EQ(nlohmann::json::parse(json.out).at("name"), name);
  }
  TempDir temp;
  const std::string dir = (temp.path() / "pc").string();
  ASSERT_EQ(RunBinary("tunora-sim", {"new", dir}).exit_code, 0);
  const ProcessResult shown = RunBinary("tunora-sim", {"show", dir, "registry"});
  EXPECT_EQ(shown.out.rfind("REGEDIT4", 0), 0u);
  EXPECT_NE(RunBinary("tunora-sim", {"new", dir}).exit_code, 0) << "refuses to overwrite";
  EXPECT_NE(RunBinary("tunora-sim", {"profile", "no-such"}).exit_code, 0);

  // One key, by its path below the root or as the export names it; a
  // missing key is an error, not an empty export.
  const std::string tcpip = "System\\CurrentControlSet\\Services\\Tcpip";
  for (const std::string& key : {tcpip, "HKEY_LOCAL_MACHINE\\" + tcpip}) {
    const ProcessResult one = RunBinary("tunora-sim", {"show", dir, "registry", key});
    EXPECT_EQ(one.exit_code, 0) << key;
    EXPECT_NE(one.out.find("\\CurrentControlSet\\Services\\Tcpip]\n"), std::string::npos) << key;
  }
  const ProcessResult missing =
      RunBinary("tunora-sim", {"show", dir, "registry", "SOFTWARE\\None"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "tunora-sim: " + dir + " has no key SOFTWARE\\None\n");
  // Showing the state writes nothing.
  const ProcessResult state = RunBinary("tunora-sim", {"show", dir, "state"});
  EXPECT_EQ(nlohmann::json::parse(state.out).at("boot"), 1);
  EXPECT_FALSE(std::filesystem::exists(temp.path() / "pc" / "state.json"));
  // An option where the directory belongs is a slip.
  EXPECT_EQ(RunBinary("tunora-sim", {"new", "--real-drivers"}).exit_code, 2);
  // A state an earlier machine left in the directory is not the new one's.
  const std::string reused = (temp.path() / "reused").string();
  std::filesystem::create_directories(reused);
  std::ofstream(temp.path() / "reused" / "state.json") << R"({"boot": 7})";
  ASSERT_EQ(RunBinary("tunora-sim", {"new", reused}).exit_code, 0);
  EXPECT_EQ(
      nlohmann::json::parse(RunBinary("tunora-sim", {"show", reused, "state"}).out).at("boot"), 1);
}

}  // namespace
}  // namespace tunora::testing
