// The Monitor Profile page driven through UI scripts on the built-in
// machines: the pair picked, Apply with "Reboot Later", and the driver's
// registry afterwards, which must be what it was plus exactly the mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "sim/os/regedit4.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kOpenPage =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"Monitor Profile\"\n"
    "expect window 162\n";
const std::string kApplyLater = "click 991\nexpect window 144\npress 2\n";

// The documented timing records.
constexpr const char* k1024x768 =
    "3c,00,30,00,ae,ea,00,00,25,00,6e,00,9e,00,01,00,03,00,1c,00,00,00,00,00";
constexpr const char* k640x480 =
    "3c,00,1e,00,25,52,00,00,15,00,3d,00,56,00,01,00,03,00,11,00,00,00,00,00";
constexpr const char* k320x200 =
    "3c,00,0c,00,eb,07,00,00,05,00,0e,00,0c,00,01,00,03,00,06,00,00,00,00,00";
constexpr const char* k2560x1536 =
    "3c,00,61,00,75,12,05,00,67,00,31,01,c2,01,01,00,03,00,3a,00,00,00,00,00";

const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
const std::string kDisplayClass = kServices + "Class\\Display";

std::string Section(const std::string& key) { return "[HKEY_LOCAL_MACHINE\\" + key + "]\n"; }

// What the 98/ME writer adds to one display-class instance.
std::string NinexMode(const std::string& instance, const std::string& pair,
                      const std::string& record) {
  const std::string modes = kDisplayClass + "\\" + instance + "\\MODES";
  std::string text = Section(modes);
  for (const char* depth : {"32", "24", "16", "8"}) {
    text += Section(modes + "\\" + depth) + Section(modes + "\\" + depth + "\\" + pair) +
            "\"(Default)\"=\"60\"\n\"RefreshRate\"=\"60\"\n";
  }
  return text + Section(kDisplayClass + "\\" + instance + "\\Settings\\VideoParameters") + "\"" +
         pair + "\"=hex:" + record + "\n";
}

// The export with each key's values in name order: a writer that runs
// after the mode may store its value again, which moves it to the end.
std::string ValuesSorted(const std::string& regedit4) {
  std::istringstream lines(regedit4);
  std::string sorted, line;
  std::vector<std::string> values;
  const auto flush = [&] {
    std::sort(values.begin(), values.end());
    for (const std::string& value : values) sorted += value;
    values.clear();
  };
  while (std::getline(lines, line)) {
    if (line.starts_with("  ") && !values.empty()) {
      values.back() += line + "\n";  // wrapped hex data
    } else if (line.starts_with("\"") || line.starts_with("@")) {
      values.push_back(line + "\n");
    } else {
      flush();
      sorted += line + "\n";
    }
  }
  flush();
  return sorted;
}

struct FlowCase {
  const char* what;
  const char* profile;
  std::string steps;
  std::vector<std::string> shown;  // transcript lines
  std::string subtree;
  std::string added;  // REGEDIT4 sections merged into the subtree as it was
};

TEST(MonitorProfile, ApplyWritesThePickedModeIntoTheDriversKeys) {
  const FlowCase cases[] = {
      {"2000, new value names",
       "win2000-qx2max",
       "select 1081 88\nselect 1082 284\n",
       {"control 1081 combo \"1024\" sel=88 items=281",
        "control 1082 combo \"768\" sel=284 items=669", "control 1083 static \"4:3 Aspect Ratio\"",
        "control 991 button \"Apply\""},
       kServices + "QX2\\Device0",
       Section(kServices + "QX2\\Device0") + "\"Graphic.1024.768\"=hex:" + k1024x768 + "\n"},
      // 640 x 480 is listed already: only its timing record is written.
      {"2000, old value names and the resolution list",
       "win2000-qx2-modelist",
       "select 1081 40\nselect 1082 140\n",
       {"control 1083 static \"4:3 Aspect Ratio\""},
       kServices + "QX2\\Device0",
       Section(kServices + "QX2\\Device0") +
           "\"Qxg.SingleResolutions\"=hex:80,02,e0,01,20,03,58,02,00,04,00,03,80,04,60,03,00,"
           "05,00,04,40,06,b0,04\n\"Default.Graphic.640.480\"=hex:" +
           k640x480 + "\n"},
      {"XP, QX3 driver, the last entries",
       "winxp-qx3",
       "select 1081 280\nselect 1082 668\n",
       {"control 1083 static \"Unknown Aspect Ratio\""},
       kServices + "QX3DUO\\Device0",
       Section(kServices + "QX3DUO\\Device0") + "\"Graphic.2560.1536\"=hex:" + k2560x1536 + "\n"},
      {"2000, only the dual driver, the first entries",
       "win2000-qx2duo-only",
       "select 1082 0\nselect 1081 0\n",
       {"control 1083 static \"16:10 Aspect Ratio\""},
       kServices + "QX2DUO\\Device0",
       Section(kServices + "QX2DUO\\Device0") + "\"Graphic.320.200\"=hex:" + k320x200 + "\n"},
      {"98",
       "win98-qx1",
       "select 1081 88\nselect 1082 284\n",
       {"control 1083 static \"4:3 Aspect Ratio\""},
       kDisplayClass,
       NinexMode("0000", "1024,768", k1024x768)},
      {"ME: another maker's instance is left alone",
       "winme-qx2e-qtv",
       "select 1081 40\nselect 1082 140\n",
       {"control 1083 static \"4:3 Aspect Ratio\""},
       kDisplayClass,
       NinexMode("0001", "640,480", k640x480)},
      {"Reset All forgets the pair",
       "win2000-qx2max",
       "select 1081 88\nselect 1082 284\nclick 993\nexpect window 129\nexpect window 162\n",
       {"control 1081 combo \"  -- NONE --\" sel=88 items=281",
        "control 1082 combo \"  -- NONE --\" sel=284 items=669",
        "control 1083 static \"Aspect Ratio Unavailable\""},
       kServices + "QX2\\Device0",
       ""},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine(c.profile);
    const std::string before = machine.Registry(c.subtree);
    const ProgramRun run = machine.RunTunora(kOpenPage + c.steps + "dump\n" + kApplyLater);
    ASSERT_EQ(run.exit_code, 1) << run.errors << run.transcript;
    for (const std::string& line : c.shown)
      EXPECT_TRUE(HasLineAnyFocus(run.transcript, line)) << line;
    const std::string expected =
        sim::ExportRegedit4(sim::ParseRegedit4(before + c.added, "expected"), c.subtree);
    EXPECT_EQ(ValuesSorted(machine.Registry(c.subtree)), ValuesSorted(expected));
  }
}

// Until both values are picked Apply stays off and the ratio is not shown;
// the sheet's Cancel writes nothing.
TEST(MonitorProfile, OneValueIsNotAMode) {
  TestMachine machine("win98-qx1");
  const std::string before = machine.Registry(kDisplayClass);
  const ProgramRun run =
      machine.RunTunora(kOpenPage + "dump\nselect 1081 88\ndump\nselect 1081 40\n" + kLeave);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  EXPECT_TRUE(
      HasLineAnyFocus(run.transcript, "control 1081 combo \"  -- NONE --\" sel=-1 items=281"));
  const std::string picked = run.transcript.substr(run.transcript.find("sel=88"));
  EXPECT_TRUE(HasLineAnyFocus(picked, "control 1083 static \"Aspect Ratio Unavailable\""))
      << picked;
  EXPECT_TRUE(HasLineAnyFocus(picked, "control 991 button \"Apply\" disabled")) << picked;
  EXPECT_EQ(machine.Registry(kDisplayClass), before);
}

}  // namespace
}  // namespace tunora::testing
