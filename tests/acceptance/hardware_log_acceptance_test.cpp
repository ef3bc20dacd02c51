// The hardware log through the Miscellaneous page on simulated PCs with
// their instrumentation repositories: the whole file once per run, and the
// partial log with its explanation on a machine without WMI.
#include <gtest/gtest.h>

#include "automation/ui_script.h"
#include "hwlog/hardware_log.h"
#include "sim/os/sim_files.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kOpenMisc =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"Miscellaneous\"\nexpect window 136\n";
const std::string kLeave = "click 992\nexpect window 102\nclick 1003\n";

std::string Expect(std::string_view message) {
  return "expect message " + sim::QuoteScriptString(message) + "\n";
}

std::string LogFile(const TestMachine& machine) {
  auto pc = machine.Open();
  sim::SimFiles files(pc->drive_c(), pc->profile().windows_directory);
  return files.ReadFile(kHardwareLogPath).value_or("");
}

// The text, its tildes and a checksum that matches it.
void ExpectSealed(const std::string& file) {
  ASSERT_GT(file.size(), 8u);
  const std::string body = file.substr(0, file.size() - 8);
  EXPECT_EQ(file.substr(file.size() - 8), LogChecksum(body));
  const std::size_t text = body.find_last_not_of('~') + 1;
  EXPECT_EQ(body.size() - text, text % 4);
}

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
                          Expect(kLogAlreadyCreated) + kLeave);
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
      Expect("Failed to create IWbemLocator object\n\nVerify c:\\hardware.txt for more "
             "information") +
      "expect window 160\npress 1\nexpect window 159\npress 1\n" + kLeave);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  const std::string file = LogFile(machine);
  EXPECT_EQ(file.rfind("Failed to create IWbemLocator object\r\n\r\n", 0), 0u) << file;
  ExpectSealed(file);
}

}  // namespace
}  // namespace tunora::testing
