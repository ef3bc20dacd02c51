// The tweak sheet driven through UI scripts on the built-in machines: every
// setting changed on each road survives Apply, a reboot and a new run; Reset
// All, Reboot Later, a driver that is not installed, Help, and pressing
// Tweak again and again.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "resources/embedded.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

struct RoadCase {
  const char* profile;
  bool agp_page;
  bool d3d_page;
  bool keeps_ogl = true;  // the driver stores the OpenGL preset and cache size
};

void PrintTo(const RoadCase& c, std::ostream* out) { *out << c.profile; }

// A whole transcript line, or one that goes on with state words ("focus").
bool Has(const std::string& transcript, const std::string& line) {
  return transcript.find("\n" + line + "\n") != std::string::npos ||
         transcript.find("\n" + line + " ") != std::string::npos;
}

// Tweak, then every page the road has, changing each setting.
std::string ChangeEverything(const RoadCase& c) {
  std::string script = "expect window 102\nclick 1004\nexpect window 129\n";
  if (c.agp_page) script += "tab \"AGP\"\nexpect window 130\nclick 1006\n";
  if (c.d3d_page) script += "tab \"D3D\"\nexpect window 134\nclick 1030\n";
  script +=
      "tab \"OpenGL\"\nexpect window 135\nclick 1040\nclick 1002\nclick 1025\nclick 1027\n"
      "click 1017\n"
      "tab \"Miscellaneous\"\nexpect window 136\nclick 1001\nclick 1023\ntype 1100 \"1024\"\n"
      "click 991\nexpect window 144\npress 1\n";
  return script;
}

// Tweak, a dump of each page, Cancel and Exit.
std::string LookAtEverything(const RoadCase& c) {
  std::string script = "expect window 102\nclick 1004\nexpect window 129\n";
  if (c.agp_page) script += "tab \"AGP\"\nexpect window 130\ndump\n";
  if (c.d3d_page) script += "tab \"D3D\"\nexpect window 134\ndump\n";
  script +=
      "tab \"OpenGL\"\nexpect window 135\ndump\ntab \"Miscellaneous\"\nexpect window 136\n"
      "dump\n" +
      kLeave;
  return script;
}

class SheetOnEachRoad : public ::testing::TestWithParam<RoadCase> {};

TEST_P(SheetOnEachRoad, ChangesSurviveApplyRebootAndReopening) {
  const RoadCase& c = GetParam();
  TestMachine machine(c.profile);
  const ProgramRun applied = machine.RunTunora(ChangeEverything(c));
  ASSERT_EQ(applied.exit_code, 0) << applied.errors << applied.transcript;
  EXPECT_TRUE(Has(applied.transcript, "reboot requested")) << applied.transcript;
  EXPECT_TRUE(machine.Open()->pending_reboot());
  machine.Open()->Reboot();

  const ProgramRun reopened = machine.RunTunora(LookAtEverything(c));
  ASSERT_EQ(reopened.exit_code, 0) << reopened.errors << reopened.transcript;
  const std::string& t = reopened.transcript;
  if (c.agp_page) {
    EXPECT_TRUE(Has(t, "control 1006 radio \"1x AGP\" checked")) << t;
  }
  if (c.d3d_page) {
    EXPECT_TRUE(Has(t, "control 1030 radio \"Force VSync OFF\" checked")) << t;
  }
  std::vector<std::string> lines = {"control 1017 checkbox \"Advanced Multitexturing\" checked"};
  if (c.keeps_ogl) {
    lines.insert(lines.end(), {"control 1002 radio \"Page Flipping\" checked",
                               "control 1025 radio \"Application Decides\" checked",
                               "control 1027 radio \"ON by Default\" checked",
                               "control 1041 static \"Custom VSync Settings\"",
                               "control 1040 radio \"Customized Settings\" checked",
                               "control 1100 edit \"1024\" limit=4"});
  } else {
    lines.insert(lines.end(), {"control 1037 radio \"GL Driver Defaults\" checked",
                               "control 1100 edit \"512\" limit=4"});
  }
  for (const std::string& line : lines) EXPECT_TRUE(Has(t, line)) << line << "\n" << t;
  EXPECT_TRUE(Has(t, "control 1001 radio \"Force BusMastering OFF\" checked")) << t;
  EXPECT_TRUE(Has(t, "control 1023 radio \"Force Bitmap Caching OFF\" checked")) << t;
}

INSTANTIATE_TEST_SUITE_P(Profiles, SheetOnEachRoad,
                         ::testing::Values(RoadCase{"win98-qx1", true, true},
                                           RoadCase{"winme-qx2e-qtv", true, true},
                                           RoadCase{"nt4-qx2", true, false},
                                           RoadCase{"nt4-qx2-boardrecords", true, false},
                                           RoadCase{"win2000-qx2max", true, true},
                                           RoadCase{"win2000-qx2duo-only", true, true},
                                           RoadCase{"winxp-qx3", true, true, false}));

TEST(Sheet, ResetAllThenRebootLaterWritesTheOpeningValues) {
  TestMachine machine("win2000-qx2max");
  const ProgramRun run = machine.RunTunora(
      "expect window 102\nclick 1004\nexpect window 129\n"
      "tab \"AGP\"\nexpect window 130\nclick 1007\n"
      "tab \"Miscellaneous\"\nexpect window 136\nclick 1001\n"
      "click 993\nexpect window 129\nexpect window 136\ndump\n"
      "click 991\nexpect window 144\nkey escape\n");
  EXPECT_EQ(run.exit_code, 1) << run.errors;
  EXPECT_TRUE(Has(run.transcript, "control 1002 radio \"Force BusMastering ON\" checked"))
      << run.transcript;
  EXPECT_FALSE(Has(run.transcript, "reboot requested"));
  const std::string registry = machine.Registry("System\\CurrentControlSet\\Services\\QX2");
  EXPECT_NE(registry.find("\"Qxg.AGPFlags\"=hex:04,01,00,00"), std::string::npos) << registry;
  EXPECT_NE(registry.find("\"D00.Engine.BusMastering\"=hex:01,00,00,00"), std::string::npos)
      << registry;
}

TEST(Sheet, RebootNowWithoutAnInstalledDriverAborts) {
  TestMachine machine("win2000-nodriver");
  const ProgramRun run = machine.RunTunora(
      "expect message \"Error2: Unable to find driver version\"\n"
      "expect window 102\nclick 1004\nexpect window 129\ntab \"AGP\"\nexpect window 130\n"
      "click 1006\nclick 991\nexpect window 144\npress 1\n"
      "expect message \"Reboot Aborted!\\n\\nERROR: Your driver may not be properly "
      "installed!\"\n");
  EXPECT_EQ(run.exit_code, 1) << run.errors << run.transcript;
  EXPECT_NE(run.transcript.find("beep 10000 600\nbeep 13000 700\nbeep 15000 1000\nmessage"),
            std::string::npos)
      << run.transcript;
  EXPECT_FALSE(Has(run.transcript, "reboot requested"));
}

// A user who may not shut Windows down, or a Windows that refuses the
// restart after the privilege was granted: the changes are written, the
// restart is not, and the program says so with its three tones and exit 1.
TEST(Sheet, RebootNowThatCannotRestartKeepsTheChangesAndSaysSo) {
  struct Case {
    const char* what;
    bool privilege;
    bool restart_refused;
  };
  for (const Case& c : {Case{"no shutdown privilege", false, false},
                        Case{"ExitWindowsEx refused after the privilege", true, true}}) {
    SCOPED_TRACE(c.what);
    sim::Profile profile = Builtin("win2000-qx2max");
    profile.shutdown_privilege = c.privilege;
    profile.faults.restart_refused = c.restart_refused;
    TestMachine machine(profile);
    const ProgramRun run = machine.RunTunora(
        "expect window 102\nclick 1004\nexpect window 129\ntab \"AGP\"\nexpect window 130\n"
        "click 1007\nclick 991\nexpect window 144\npress 1\n"
        "expect message \"Changes Applied!\\n\\nERROR: Unable to reboot.\"\n");
    EXPECT_EQ(run.exit_code, 1) << run.errors << run.transcript;
    EXPECT_NE(run.transcript.find("beep 10000 600\nbeep 13000 700\nbeep 15000 1000\nmessage"),
              std::string::npos)
        << run.transcript;
    EXPECT_FALSE(Has(run.transcript, "reboot requested"));
    EXPECT_FALSE(machine.Open()->pending_reboot());
    EXPECT_NE(machine.Registry("System\\CurrentControlSet\\Services\\QX2")
                  .find("\"Qxg.AGPFlags\"=hex:02,00,00,00"),
              std::string::npos);
  }
}

TEST(Sheet, HelpWritesTheHelpFileAndOpensItEachTime) {
  TestMachine machine("win2000-qx2max");
  const ProgramRun run = machine.RunTunora(
      "expect window 102\nclick 1004\nexpect window 129\nclick 994\nclick 994\n" + kLeave);
  EXPECT_EQ(run.exit_code, 0) << run.errors;
  const std::string opened = "shell open \"C:\\WINNT\\TUNORAHELP.CHM\"\n";
  const std::size_t first = run.transcript.find(opened);
  ASSERT_NE(first, std::string::npos) << run.transcript;
  EXPECT_NE(run.transcript.find(opened, first + 1), std::string::npos);
  auto pc = machine.Open();
  std::ifstream file(pc->drive_c() / "WINNT" / "TUNORAHELP.CHM", std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(file)), {});
  EXPECT_EQ(written, TunoraResource(kResHelp).value_or(""));
}

TEST(Sheet, TweakTenTimesOnTheNtRoadThenExit) {
  TestMachine machine("win2000-qx2max");
  std::string script = "expect window 102\n";
  for (int press = 0; press < 10; ++press) {
    script +=
        "click 1004\nexpect window 129\ntab \"Clock Tweak\"\nexpect window 165\n" + kCloseSheet;
  }
  script += kExit;
  const ProgramRun run = machine.RunTunora(script);
  EXPECT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  EXPECT_EQ(run.transcript.find("message"), std::string::npos) << run.transcript;
}

}  // namespace
}  // namespace tunora::testing
