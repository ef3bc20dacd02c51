// The QTV page driven through UI scripts on the TV-tuner machines: channel
// frequencies and the advanced capture switch as Apply ("Reboot Later")
// leaves them in the registry, the warning's two answers, the stored mode
// kept, and the backup file read back with our own reader in each form.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sheet/qtv_page.h"
#include "sheet/tv_tuner.h"
#include "sim/os/regedit4.h"
#include "sim/os/sim_files.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kOpenPage =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"QTV\"\nexpect window 172\n";
const std::string kRebootLater = "click 991\nexpect window 144\npress 2\n";
const std::string kAgree = "expect window 173\npress 1\n";
const std::string kDisagree = "expect window 173\npress 2\n";
const std::string kChannelKey = std::string(kTvFrequencyKey) + "\\CurrentFreq";

std::optional<std::string> Value(const TestMachine& machine, std::string_view key,
                                 std::string_view name) {
  auto pc = machine.Open();
  const sim::HiveValue* value = pc->registry().hive().FindValue(key, name);
  if (value == nullptr) return std::nullopt;
  return value->data;
}

struct Flow {
  const char* label;
  sim::Profile profile;
  std::string steps;  // on the open page, before Apply
  std::vector<std::pair<const char*, std::uint32_t>> frequencies;
  std::optional<std::string> advanced_mode;  // afterwards; nothing: no value
};

TEST(QtvPage, ApplyWritesTheEditedFrequenciesAndTheAgreedCaptureMode) {
  const Flow flows[] = {
      {"edit one channel",
       Builtin("winme-qx2e-qtv"),
       "select 1104 2\ntype 1105 \"999000\"\n",
       {{"F21", 471250}, {"F23", 999000}, {"F24", 495250}},
       std::string(1, '\0')},
      {"emptying the box gives 0",
       Builtin("winme-qx2e-qtv"),
       "select 1104 0\ntype 1105 \"\"\n",
       {{"F21", 0}, {"F22", 479250}},
       std::string(1, '\0')},
      {"only the last edit counts",
       Builtin("win2000-qx2e-qtv"),
       "select 1104 3\ntype 1105 \"1\"\ntype 1105 \"77500\"\nselect 1104 0\n",
       {{"F2", 55250}, {"F5", 77500}},
       std::nullopt},
      {"agree to the advanced mode",
       Builtin("winme-qx2e-qtv"),
       "check 1017\n" + kAgree,
       {{"F21", 471250}},
       "\x01"},
      {"agreeing creates the capture key",
       Builtin("win2000-qx2e-qtv"),
       "check 1017\n" + kAgree,
       {{"F2", 55250}},
       "\x01"},
      {"disagree, then a frequency",
       Builtin("winme-qx2e-qtv"),
       "check 1017\n" + kDisagree + "select 1104 1\ntype 1105 \"1\"\n",
       {{"F22", 1}},
       std::string(1, '\0')},
      {"Escape in the warning disagrees",
       Builtin("win2000-qx2e-qtv"),
       "check 1017\nexpect window 173\nkey escape\nselect 1104 0\ntype 1105 \"2\"\n",
       {{"F2", 2}},
       std::nullopt},
      {"a stored mode 1 stays",
       WithCaptureMode("winme-qx2e-qtv", "01"),
       "select 1104 0\ntype 1105 \"5\"\n",
       {{"F21", 5}},
       "\x01"},
      {"a stored mode 1 turned off",
       WithCaptureMode("win2000-qx2e-qtv", "01"),
       "uncheck 1017\n" + kAgree,
       {{"F2", 55250}},
       std::string(1, '\0')},
      {"agreed, then the sheet closed and opened again",
       Builtin("winme-qx2e-qtv"),
       "check 1017\n" + kAgree +
           "click 992\nexpect window 102\nclick 1004\nexpect window 129\ntab \"QTV\"\n"
           "expect window 172\nselect 1104 0\ntype 1105 \"5\"\n",
       {{"F21", 5}},
       "\x01"},
      {"agreed, disagreed later",
       Builtin("winme-qx2e-qtv"),
       "check 1017\n" + kAgree + "uncheck 1017\n" + kDisagree,
       {},
       "\x01"},
  };
  for (const Flow& flow : flows) {
    SCOPED_TRACE(flow.label);
    TestMachine machine(flow.profile);
    const ProgramRun run = machine.RunTunora(kOpenPage + flow.steps + kRebootLater);
    ASSERT_EQ(run.exit_code, 1) << run.errors << run.transcript;
    for (const auto& [name, frequency] : flow.frequencies) {
      const std::optional<std::string> data = Value(machine, kChannelKey, name);
      EXPECT_EQ(data, std::optional(sim::DwordBytes(frequency))) << name;
    }
    EXPECT_EQ(Value(machine, kCaptureKey, kAdvancedModeValue), flow.advanced_mode);
  }
}

// What the page shows: the stored mode, the channel list once filled, a
// selection that fills the frequency box without enabling Apply, the
// warning declined leaving the box as it was.
TEST(QtvPage, ShowsTheTableAndChangesNothingUntilTheUserDoes) {
  TestMachine machine(WithCaptureMode("winme-qx2e-qtv", "01"));
  const ProgramRun run = machine.RunTunora(kOpenPage + "dump\nselect 1104 2\ndump\nuncheck 1017\n" +
                                           kDisagree + "dump\ntab \"AGP\"\nexpect window 130\n" +
                                           "tab \"QTV\"\nexpect window 172\ndump\n" + kLeave);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  const std::string& t = run.transcript;
  for (const char* line : {
           "control 1017 checkbox \"QTV Advanced Capture Setting\" checked focus",
           "control 1108 edit \"United Kingdom\"",
           "control 1104 combo \"NONE\" sel=-1 items=48",
           "control 1105 edit \"0\" limit=12",
           "control 1104 combo \" 23\" focus sel=2 items=48",
           "control 1105 edit \"487250\" limit=12",
           "control 991 button \"Apply\" disabled",
           "control 1017 checkbox \"QTV Advanced Capture Setting\" checked",
       }) {
    EXPECT_TRUE(HasLine(t, line)) << line << "\n" << t;
  }
  EXPECT_EQ(t.find("control 991 button \"Apply\"\n"), std::string::npos) << t;
  // Declined: the box is back to the stored mode in the last two dumps.
  const std::size_t declined = t.find("press 2\n");
  const std::string box = "control 1017 checkbox \"QTV Advanced Capture Setting\"";
  EXPECT_EQ(t.find(box + " focus", declined), std::string::npos) << t;
  EXPECT_NE(t.find(box + " checked focus", t.find("tab \"QTV\"", declined)), std::string::npos)
      << t;
  EXPECT_EQ(t.find("sel=-1 items=48", t.find("select 1104 2")), std::string::npos)
      << "the list is filled once per sheet\n"
      << t;
  EXPECT_EQ(Value(machine, kCaptureKey, kAdvancedModeValue), "\x01");
}

// Backup exports the channel table at once, in the form of the machine's
// Windows; our reader gives back exactly the machine's channel key. Without
// a table the editor and Backup stay disabled.
TEST(QtvPage, BackupExportsTheChannelTableThroughRegedit) {
  struct Case {
    const char* profile;
    bool remove_table;
    bool version5;
  };
  const std::string start =
      "shell start \"regedit\" \"" + std::string(kTvBackupParameters) + "\" hidden";
  const std::string exported =
      "regedit exported \"HKEY_LOCAL_MACHINE\\" + kChannelKey + "\" to \"c:\\backup.reg\"";
  for (const Case& c : {Case{"winme-qx2e-qtv", false, false}, Case{"win2000-qx2e-qtv", false, true},
                        Case{"win2000-qx2e-qtv", true, true}}) {
    SCOPED_TRACE(std::string(c.profile) + (c.remove_table ? " without a table" : ""));
    TestMachine machine(c.profile);
    if (c.remove_table) {
      auto pc = machine.Open();
      pc->registry().hive().RemoveKey("SOFTWARE\\Quillex\\Chromalink");
      ASSERT_TRUE(pc->registry().NoteChange());
    }
    // Without a table there is nothing to export: Backup is disabled.
    const std::string backup =
        c.remove_table
            ? ""
            : "click 1028\nexpect message \"File c:\\\\backup.reg created on drive c:\"\n";
    const ProgramRun run = machine.RunTunora(kOpenPage + "dump\n" + backup + kLeave);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    const std::string& t = run.transcript;
    EXPECT_EQ(HasLine(t, start), !c.remove_table) << t;
    EXPECT_EQ(HasLine(t, "control 1028 button \"Backup\" disabled"), c.remove_table) << t;
    EXPECT_EQ(HasLine(t, "control 1104 combo \"\" disabled sel=-1 items=0"), c.remove_table) << t;
    EXPECT_EQ(HasLine(t, "control 1105 edit \"\" disabled"), c.remove_table) << t;
    auto pc = machine.Open();
    const std::optional<std::string> file =
        sim::SimFiles(pc->drive_c(), "C:\\WINDOWS").ReadFile("c:\\backup.reg");
    if (c.remove_table) {
      EXPECT_FALSE(file);
      continue;
    }
    EXPECT_NE(
        t.find(start + "\n" + exported + "\nmessage \"File c:\\\\backup.reg created on drive c:\""),
        std::string::npos)
        << t;
    ASSERT_TRUE(file);
    EXPECT_EQ(file->starts_with(sim::kUtf16LeByteOrderMark), c.version5);
    const sim::Hive read = sim::ParseRegedit4(*file, "backup.reg");
    const std::string ours = sim::ExportRegedit4(pc->registry().hive(), kChannelKey);
    EXPECT_EQ(sim::ExportRegedit4(read, kChannelKey), ours);
    EXPECT_EQ(read.FindValue(kTvFrequencyKey, kTvCountryValue), nullptr) << "the channel key alone";
    ASSERT_NE(read.FindKey(kChannelKey), nullptr);
    EXPECT_GT(read.FindKey(kChannelKey)->values().size(), 40u);
  }
}

}  // namespace
}  // namespace tunora::testing
