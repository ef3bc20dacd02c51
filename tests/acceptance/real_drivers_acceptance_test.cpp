// Machines switched to their real drivers: the start-up, the Clock Tweak
// page pressed ten times with a clock test and a permanent clock, the
// log-on's lockstep run that applies it, and a hardware log, with every
// driver request served by the binaries the program wrote, executed in
// the emulator. Each machine is run twice, once on the portable dispatch
// code and once on the real drivers; the two must not differ in anything
// the user or the card sees.
#include <gtest/gtest.h>

#include <sstream>

#include "hwlog/hardware_log.h"
#include "sheet/clock_page.h"
#include "sim/emulator/driver_loader.h"
#include "sim/machine/known_programs.h"
#include "sim/machine/reboot.h"
#include "sim/os/sim_files.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kTweakToClockPage =
    "click 1004\nexpect window 129\ntab \"Clock Tweak\"\nexpect window 165\n";
const std::string kOpenMisc =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"Miscellaneous\"\nexpect window 136\n";

// Ten Tweak presses: the first tests 120 % and makes it permanent, the
// other nine read the clocks again.
std::string ClockScript() {
  std::string script = "expect window 102\n" + kTweakToClockPage + "slider 1091 120\nclick 1095\n" +
                       ExpectMessage(kClockDanger) +
                       "expect window 166\npress 2\nexpect window 166\npress 1\n"
                       "expect window 167\npress 1\n" +
                       kCloseSheet;
  for (int press = 1; press < 10; ++press) script += kTweakToClockPage + "dump\n" + kCloseSheet;
  return script + kExit;
}

struct Outcome {
  ProgramRun clock;
  std::string log_on;
  std::string cards;
  ProgramRun log_run;
  std::string hardware_log;
};

Outcome RunMachine(const std::string& profile, bool real_drivers) {
  sim::Profile p = WithCaptureMode(profile, "01");
  p.real_drivers = real_drivers;
  TestMachine machine(p);
  Outcome outcome;
  outcome.clock = machine.RunTunora(ClockScript());
  std::ostringstream out, err;
  sim::RebootAndLogOn(machine.dir(), sim::KnownPrograms(), out, err);
  // Past the first line, which names the machine's directory.
  const std::string log_on = out.str() + err.str();
  outcome.log_on = log_on.substr(log_on.find('\n') + 1);
  outcome.cards = machine.Open()->CardSummary();
  outcome.log_run = machine.RunTunora(kOpenMisc + "click 1028\nexpect window 159\npress 1\n" +
                                      kCloseSheet + kExit);
  auto pc = machine.Open();
  sim::SimFiles files(pc->drive_c(), pc->profile().windows_directory);
  outcome.hardware_log = files.ReadFile(kHardwareLogPath).value_or("");
  return outcome;
}

TEST(RealDriversAcceptance, ClockRoundTripAndHardwareLogAsOnThePortableDispatch) {
  for (const char* profile : {"win2000-qx2max", "win98-qx1"}) {
    SCOPED_TRACE(profile);
    const Outcome portable = RunMachine(profile, false);
    const std::uint64_t served = emulator::EmulatedRequestsServed();
    const Outcome real = RunMachine(profile, true);
    EXPECT_GT(emulator::EmulatedRequestsServed(), served) << "no request reached a real driver";
    ASSERT_EQ(real.clock.exit_code, 0) << real.clock.errors << real.clock.transcript;
    EXPECT_EQ(real.clock.transcript, portable.clock.transcript);
    EXPECT_EQ(real.clock.errors, portable.clock.errors);
    EXPECT_NE(real.log_on.find("\n[ Card is OverClocked ]\n"), std::string::npos) << real.log_on;
    EXPECT_EQ(real.log_on, portable.log_on);
    EXPECT_EQ(real.cards, portable.cards);
    ASSERT_EQ(real.log_run.exit_code, 0) << real.log_run.errors << real.log_run.transcript;
    EXPECT_EQ(real.log_run.transcript, portable.log_run.transcript);
    EXPECT_NE(real.hardware_log.find("Video BIOS Info"), std::string::npos);
    EXPECT_EQ(real.hardware_log, portable.hardware_log);
  }
}

}  // namespace
}  // namespace tunora::testing
