// The permanent clock end to end: the Clock Tweak page at 120 %, a test,
// "Permanent", a reboot whose log-on runs the Lockstep.exe tunora wrote,
// and the card at the limit afterwards; "Card Default" then undoes it.
// Also the clock readers through several Tweak presses in one run.
#include <gtest/gtest.h>

#include <optional>
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

// lockstep applies at log-on the clock the page showed and tested: the
// same rated clock from the same BIOS window, and only on the card the
// stored choice is for. Each case: the page at 100 % ("rated"), a test,
// Permanent, a reboot, and the card's clock afterwards.
TEST(ClockRoundTrip, LogOnAppliesTheClockThePageShowed) {
  sim::Profile odd_qx1 = Builtin("win98-qx1");  // runs 166.5 MHz
  // The adjusted S is 255: the rated clock is A adjusted, x 1.5 = 105.
  for (auto [at, value] : {std::pair{5, 3}, {52, 1}, {60, 29}, {62, 0xF0}, {44, 100}}) {
    odd_qx1.bios.parameter_block[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
  }
  sim::Profile low_block = Builtin("win98-qx1");
  low_block.bios.parameter_block_offset = 0x6000;  // below lockstep's old 8 KB view
  struct Case {
    const char* what;
    sim::Profile profile;
    std::optional<std::uint32_t> stale_card;  // "Card" changed after Permanent
    double mhz_after;
    const char* report;
    // A card running above the limit keeps the tested clock after the test.
    bool test_clock_stays = false;
  };
  const Case cases[] = {
      {"QX1 block whose adjusted S is 255", odd_qx1, std::nullopt, 27.0 * 35 / 9,
       "[ Card is OverClocked ]", true},
      {"9x block at 0x6000", low_block, std::nullopt, 27.0 * 37 / 6, "[ Card is OverClocked ]"},
      {"a stale Card 200 on a QX2 board", Builtin("win2000-qx2max"), 200, 27.0 * 52 / 7,
       "[ Card is NOT OverClocked - the stored clock is for another card ]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine(c.profile);
    const ProgramRun run = machine.RunTunora(
        kOpenPage + "slider 1091 100\nclick 1095\nexpect message " +
        sim::QuoteScriptString(kClockDanger) + "\nexpect window 166\npress 2\n" +
        (c.test_clock_stays ? "expect message \"Clocking Error! Try again. (#2)\"\n" : "") +
        "expect window 166\npress 1\nexpect window 167\npress 1\n" + kCloseSheet + kExit);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    if (c.stale_card) {
      auto pc = machine.Open();
      pc->registry().hive().SetDword(kClockSettingKey, "Card", *c.stale_card);
      ASSERT_TRUE(pc->registry().NoteChange());
    }
    const std::string log_on = LogOn(machine);
    EXPECT_NE(log_on.find("\n" + std::string(c.report) + "\n"), std::string::npos) << log_on;
    EXPECT_NEAR(ClockMhz(machine), c.mhz_after, 0.01) << log_on;
  }
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
