// The permanent clock end to end: the Clock Tweak page at 120 %, a test,
// "Permanent", a reboot whose log-on runs the Lockstep.exe tunora wrote,
// and the card at the limit afterwards; "Card Default" then undoes it.
// Also the clock readers through several Tweak presses in one run.
#include <gtest/gtest.h>

#include <sstream>

#include "hwaccess/clock.h"
#include "sheet/clock_page.h"
#include "sim/machine/known_programs.h"
#include "sim/machine/reboot.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kTweakToClockPage =
    "click 1004\nexpect window 129\ntab \"Clock Tweak\"\nexpect window 165\n";
const std::string kOpenPage = "expect window 102\n" + kTweakToClockPage;

std::string LogOn(const TestMachine& machine) {
  std::ostringstream out, err;
  sim::RebootAndLogOn(machine.dir(), sim::KnownPrograms(), out, err);
  return out.str() + err.str();
}

double ClockMhz(const TestMachine& machine) { return machine.Open()->cards().at(0)->ClockMhz(); }

TEST(ClockRoundTrip, PermanentAt120PercentIsAppliedAtLogOnAndCardDefaultUndoesIt) {
  TestMachine machine("win2000-qx2max");  // rated 200 MHz, running 200.57
  const std::string make_permanent =
      kOpenPage + "slider 1091 120\nclick 1095\n" + ExpectMessage(kClockDanger) +
      "expect window 166\npress 2\nexpect window 166\npress 1\nexpect window 167\npress 1\n" +
      kCloseSheet + kExit;
  const ProgramRun run = machine.RunTunora(make_permanent);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  EXPECT_NEAR(ClockMhz(machine), 27.0 * 52 / 7, 0.01) << "the test reverted; nothing applied yet";

  // The Max board: base 100, offset 160, target 260 = limit (M 10, N 105).
  const std::string log_on = LogOn(machine);
  EXPECT_NE(log_on.find("\n[ QX2 Max ]\n"), std::string::npos) << log_on;
  EXPECT_NE(log_on.find("\n[ Card is OverClocked ]\n"), std::string::npos) << log_on;
  EXPECT_NE(log_on.find("lockstep exited with code 1"), std::string::npos) << log_on;
  EXPECT_NEAR(ClockMhz(machine), 27.0 * 106 / 11, 0.01);

  // The page then places the slider from the running clock.
  const ProgramRun shown = machine.RunTunora(kOpenPage + "dump\n" + kCloseSheet + kExit);
  EXPECT_NE(shown.transcript.find("control 1087 static \"120 %\""), std::string::npos)
      << shown.transcript;

  const ProgramRun undo = machine.RunTunora(kOpenPage + "click 1030\n" + kCloseSheet + kExit);
  ASSERT_EQ(undo.exit_code, 0) << undo.errors << undo.transcript;
  EXPECT_FALSE(machine.FileExists("C:\\WINNT\\Lockstep.exe"));
  const std::string second_log_on = LogOn(machine);
  EXPECT_EQ(second_log_on.find("lockstep"), std::string::npos) << second_log_on;
  EXPECT_NEAR(ClockMhz(machine), 27.0 * 52 / 7, 0.01) << "back at the BIOS clock";
}

// The start-up keeps its hwgate4 device open for the run; every Tweak
// press reads the clock through it again.
TEST(ClockRoundTrip, ReadersWorkThroughRepeatedTweakPresses) {
  TestMachine machine("win2000-qx2max");
  std::string script = kOpenPage + "slider 1091 110\nclick 1095\n" + ExpectMessage(kClockDanger) +
                       "expect window 166\npress 2\nexpect window 166\npress 1\n"
                       "expect window 167\npress 2\n" +
                       kCloseSheet;
  for (int press = 0; press < 3; ++press) script += kTweakToClockPage + "dump\n" + kCloseSheet;
  const ProgramRun run = machine.RunTunora(script + kExit);
  ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
  std::size_t shown = 0;
  for (std::size_t at = run.transcript.find("control 1087 static \"110 %\"");
       at != std::string::npos; at = run.transcript.find("control 1087 static \"110 %\"", at + 1)) {
    ++shown;
  }
  EXPECT_EQ(shown, 3u) << run.transcript;
}

}  // namespace
}  // namespace tunora::testing
