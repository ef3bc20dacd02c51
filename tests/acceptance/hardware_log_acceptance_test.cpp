// The hardware log through the Miscellaneous page on simulated PCs with
// their instrumentation repositories: the whole file once per run, after
// Tweak presses that share the kept hwgate4 device, the partial log with
// its explanation on a machine without WMI, and received logs checked with
// tunora-sim verify-log.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "hwlog/hardware_log.h"
#include "sim/os/sim_files.h"
#include "tests/acceptance/process.h"
#include "tests/support/golden.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kOpenMisc =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"Miscellaneous\"\nexpect window 136\n";

std::string LogFile(const TestMachine& machine) {
  auto pc = machine.Open();
  sim::SimFiles files(pc->drive_c(), pc->profile().windows_directory);
  return files.ReadFile(kHardwareLogPath).value_or("");
}

// The text, its tildes and a checksum that matches it.
void ExpectSealed(const std::string& file) { EXPECT_TRUE(CheckLogSeal(file).unchanged()); }

TEST(HardwareLogAcceptance, WholeLogOncePerRun) {
  // The mother board's section is marked when the capture mode is on, on
  // every Windows, NT 4 included.
  const struct {
    const char* profile;
    const char* capture_mode;
  } machines[] = {
      {"win2000-qx2max", "01"}, {"win98-qx1", "00"}, {"winxp-qx3", "00"}, {"nt4-qx2", "01"}};
  for (const auto& m : machines) {
    SCOPED_TRACE(m.profile);
    TestMachine machine(WithCaptureMode(m.profile, m.capture_mode));
    const ProgramRun run =
        machine.RunTunora(kOpenMisc + "click 1028\nexpect window 159\npress 1\nclick 1028\n" +
                          ExpectMessage(kLogAlreadyCreated) + kLeave);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    const std::string file = LogFile(machine);
    EXPECT_EQ(file.rfind(SectionLine("Video BIOS Info", false) + "\r\n", 0), 0u);
    for (const char* title : {"BIOS Info", "Processor", "Operating System Info",
                              "Hardware Enumeration Info", "Video Configuration Info"}) {
      EXPECT_NE(file.find(SectionLine(title, true) + "\r\n\r\n"), std::string::npos) << title;
    }
    // The graphics card is enumerated with its vendor and an interrupt.
    EXPECT_NE(file.find("  VendorID      = 102B\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("  IRQ           = "), std::string::npos);
    EXPECT_EQ(
        file.find(SectionLine("MotherBoard", false) + "\r\n  [VDCaption]\r\n") != std::string::npos,
        std::string_view(m.capture_mode) == "01");
    EXPECT_FALSE(machine.FileExists("c:\\hw_temp.txt"));
    ExpectSealed(file);
  }
}

TEST(HardwareLogAcceptance, WithoutWmiThePartialLogExplainsItself) {
  TestMachine machine("win98-nowmi");
  const ProgramRun run = machine.RunTunora(
      kOpenMisc + "click 1028\n" +
      ExpectMessage("Failed to create IWbemLocator object\n\nVerify c:\\hardware.txt for more "
                    "information") +
      "expect window 160\npress 1\nexpect window 159\npress 1\n" + kLeave);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  const std::string file = LogFile(machine);
  EXPECT_EQ(file.rfind("Failed to create IWbemLocator object\r\n\r\n", 0), 0u) << file;
  ExpectSealed(file);
}

TEST(HardwareLogAcceptance, AfterTweakPressesOnTheNtRoadTheLogIsTheExpectedOne) {
  // Each Tweak press counts the boards through the hwgate4 device start-up
  // keeps; the BIOS version of the log is read through it too.
  std::string script = "expect window 102\n";
  for (int press = 0; press < 3; ++press) {
    script += "click 1004\nexpect window 129\nclick 992\nexpect window 102\n";
  }
  script += kOpenMisc.substr(std::string("expect window 102\n").size()) +
            "click 1028\nexpect window 159\npress 1\n" + kLeave;
  TestMachine machine("win2000-qx2max");
  const ProgramRun run = machine.RunTunora(script);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  EXPECT_TRUE(SameBytes(LogFile(machine), GoldenLog("win2000-qx2max")));
  EXPECT_TRUE(machine.FileExists("c:\\winnt\\system32\\drivers\\hwgate4.sys"));
}

TEST(HardwareLogAcceptance, VerifyLogTellsAChangedFileFromAnUnchangedOne) {
  TempDir temp;
  const std::string golden = GoldenLog("win98-qx1");
  const std::string sum = golden.substr(golden.size() - 8);
  const std::size_t caption = golden.find("SUPPORT-PC");
  const struct {
    const char* name;
    std::string bytes;
    int exit_code;
    std::string out;
  } cases[] = {
      {"as-written.txt", golden, 0,
       "unchanged since it was written\n  checksum: expected " + sum + ", found " + sum +
           "\n  tildes:   expected 3, found 3\n"},
      {"renamed.txt", std::string(golden).replace(caption, 10, "SUPPORT-PX"), 1,
       "changed after it was written\n  checksum: expected " +
           LogChecksum(std::string(golden)
                           .replace(caption, 10, "SUPPORT-PX")
                           .substr(0, golden.size() - 8)) +
           ", found " + sum + "\n  tildes:   expected 3, found 3\n"},
      // A whole line of 37 bytes: the text is no longer 4n + 3 long.
      {"line-removed.txt", std::string(golden).erase(caption - 25, 37), 1,
       "changed after it was written\n  checksum: expected " +
           LogChecksum(std::string(golden).erase(caption - 25, 37).substr(0, golden.size() - 45)) +
           ", found " + sum + "\n  tildes:   expected 2, found 3\n"},
      {"cut-short.txt", golden.substr(0, 4000), 1,
       "not a hardware log (it does not end in 8 lowercase hexadecimal digits)\n"},
  };
  for (const auto& c : cases) {
    const std::string file = (temp.path() / c.name).string();
    std::ofstream(file, std::ios::binary) << c.bytes;
    const ProcessResult result = RunBinary("tunora-sim", {"verify-log", file});
    EXPECT_EQ(result.exit_code, c.exit_code) << c.name << result.err;
    EXPECT_EQ(result.out, file + ": " + c.out) << c.name;
  }
  // Nothing that is not a regular file is read, nor a file larger than any
  // log (a sparse one here): a device named by mistake must not be read
  // without end.
  for (const std::string& unreadable :
       {(temp.path() / "missing.txt").string(), temp.path().string(), std::string("/dev/zero")}) {
    const ProcessResult result = RunBinary("tunora-sim", {"verify-log", unreadable});
    EXPECT_EQ(result.exit_code, 2) << unreadable;
    EXPECT_EQ(result.out, "") << unreadable;
  }
  const std::string huge = (temp.path() / "huge.txt").string();
  std::ofstream(huge, std::ios::binary) << golden;
  std::filesystem::resize_file(huge, std::uintmax_t{65} << 20);
  const ProcessResult result = RunBinary("tunora-sim", {"verify-log", huge});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.out, huge + ": not a hardware log (68157440 bytes, more than any log)\n");
}

}  // namespace
}  // namespace tunora::testing
