// The Clock Tweak page driven through UI scripts on simulated PCs: the
// ten-second test, the clock applied until the next reboot, the permanent
// clock and its removal, the slider derived from the running clock, safe
// mode and the divider check.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "hwaccess/clock.h"
#include "registry/reg_access.h"
#include "resources/embedded.h"
#include "sheet/clock_page.h"
#include "sheet/clock_permanence.h"
#include "sim/hardware/card_model.h"
#include "sim/os/sim_files.h"
#include "sim/ui/ui_script.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

const std::string kOpenPage =
    "expect window 102\nclick 1004\nexpect window 129\ntab \"Clock Tweak\"\nexpect window 165\n";
const std::string kLeave = "click 992\nexpect window 102\nclick 1003\n";

std::string Expect(std::string_view message) {
  return "expect message " + sim::QuoteScriptString(message) + "\n";
}

const std::string kApplyPermanently = "expect window 166\npress 1\nexpect window 167\npress 1\n";

// "Test Now", the warning, then a test in the change dialog.
std::string TestNowThenTest() {
  return "click 1095\n" + Expect(kClockDanger) + "expect window 166\npress 2\n";
}

struct Pll {
  int m, n;
  friend bool operator==(const Pll&, const Pll&) = default;
};

Pll Dividers(const TestMachine& machine) {
  auto pc = machine.Open();
  const sim::CardModel& card = *pc->cards().at(0);
  return {card.Dac(0x2C), card.Dac(0x2D)};
}

sim::Profile WithPll(const std::string& name, Pll pll) {
  sim::Profile profile = Builtin(name);
  profile.pci.back().card->pll_m = static_cast<std::uint8_t>(pll.m);
  profile.pci.back().card->pll_n = static_cast<std::uint8_t>(pll.n);
  return profile;
}

std::optional<std::uint32_t> ClockValue(const TestMachine& machine, std::string_view name) {
  auto pc = machine.Open();
  const RegHandle key = RegHandle::Open(pc->registry(), kClockSettingKey);
  if (!key) return std::nullopt;
  return QueryNumber(pc->registry(), key.key(), name);
}

std::optional<std::vector<std::uint8_t>> RunValue(const TestMachine& machine) {
  auto pc = machine.Open();
  const RegHandle key = RegHandle::Open(pc->registry(), kRunKey);
  return QueryBytes(pc->registry(), key.key(), kLockstepRunValue, 1024);
}

bool HasLine(const std::string& transcript, const std::string& line) {
  return transcript.find("\n" + line + "\n") != std::string::npos;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// The slider moved to 110 (rated + 30), a test, then `then`: the test
// holds its clock ten seconds and returns the old dividers; Temporary
// keeps the new clock, which activation shows again as 110.
TEST(ClockPage, TestThenCancelOrApplyUntilTheNextReboot) {
  struct Case {
    const char* test_step;
    const char* then;
    Pll dividers;
    const char* percent;
  };
  const Case cases[] = {
      {"press 2", "press 3", {6, 51}, "100 %"},
      {"key escape", "press 3", {6, 51}, "100 %"},
      // 27 MHz x 94 / 11 = 230.7.
      {"press 2", "press 1\nexpect window 167\npress 2", {10, 93}, "110 %"},
      {"press 2", "press 1\nexpect window 167\nkey escape", {10, 93}, "110 %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.test_step) + ", then " + c.then);
    TestMachine machine("win2000-qx2max");
    const std::uint64_t before_ms = machine.Open()->virtual_ms();
    const ProgramRun run =
        machine.RunTunora(kOpenPage + "slider 1091 110\nclick 1095\n" + Expect(kClockDanger) +
                          "expect window 166\ndump\n" + c.test_step +
                          "\nexpect window 166\ndump\n" + c.then + "\ndump\n" + kLeave);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    EXPECT_GE(machine.Open()->virtual_ms() - before_ms, 10000u);
    EXPECT_EQ(Dividers(machine), c.dividers);
    // "Apply" waits for a test: disabled in the first dialog only.
    EXPECT_EQ(Count(run.transcript, "\ncontrol 1 button \"Apply\""), 2u);
    EXPECT_EQ(Count(run.transcript, "\ncontrol 1 button \"Apply\" disabled"), 1u);
    EXPECT_TRUE(HasLine(run.transcript, "control 1087 static \"" + std::string(c.percent) + "\""))
        << run.transcript;
    EXPECT_FALSE(ClockValue(machine, "Percent"));
    EXPECT_FALSE(RunValue(machine));
  }
}

struct PermanentCase {
  const char* profile;
  std::optional<Pll> pll;    // instead of the profile's
  const char* moves;         // steps before "Test Now"
  const char* test_message;  // the test's own, or empty
  std::uint32_t percent, card;
  std::optional<std::uint32_t> max;
  Pll dividers;  // afterwards: nothing is programmed by "Permanent"
};

TEST(ClockPage, PermanentStoresTheChoiceAndRegistersLockstep) {
  const PermanentCase cases[] = {
      {"win2000-qx2max", {}, "click 1096\n", "", 101, 400, 0, {6, 51}},
      // 27 MHz x 62 / 11 = 152.2, the rated clock of this QX2 board.
      {"nt4-qx2", Pll{10, 61}, "click 1031\nclick 1031\n", "", 98, 400, 1, {10, 61}},
      {"win98-qx1", {}, "click 1096\n", "", 101, 200, std::nullopt, {5, 36}},
      // 27 MHz x 43 / 4 = 290, rated + 90: shown as 130, stored as 120. The
      // test at the rated clock cannot return to a clock above the limit.
      {"win2000-qx2max", Pll{3, 42}, "", kClockingError2, 120, 400, 0, {6, 51}},
  };
  for (const PermanentCase& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + (c.pll ? " with another clock" : ""));
    TestMachine machine(c.pll ? WithPll(c.profile, *c.pll) : Builtin(c.profile));
    const ProgramRun run = machine.RunTunora(kOpenPage + c.moves + TestNowThenTest() +
                                             (*c.test_message ? Expect(c.test_message) : "") +
                                             kApplyPermanently + kLeave);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    EXPECT_EQ(ClockValue(machine, "Percent"), c.percent);
    EXPECT_EQ(ClockValue(machine, "Card"), c.card);
    EXPECT_EQ(ClockValue(machine, "Max"), c.max);
    EXPECT_EQ(Dividers(machine), c.dividers);

    const std::string path = machine.Open()->profile().windows_directory + "\\Lockstep.exe";
    std::vector<std::uint8_t> buffer(kRunPathBufferBytes, 0);
    std::copy(path.begin(), path.end(), buffer.begin());
    EXPECT_EQ(RunValue(machine), buffer);
    auto pc = machine.Open();
    sim::SimFiles files(pc->drive_c(), pc->profile().windows_directory);
    EXPECT_EQ(files.ReadFile(path), std::string(TunoraResource(kResLockstep).value_or("")));
  }
}

TEST(ClockPage, CardDefaultRemovesThePermanentClockAndIsSilentWithoutOne) {
  TestMachine machine("win2000-qx2max");
  const std::string card_default = kOpenPage + "click 1030\n" + kLeave;
  const ProgramRun nothing_there = machine.RunTunora(card_default);
  ASSERT_EQ(nothing_there.exit_code, 0) << nothing_there.errors << nothing_there.transcript;

  const ProgramRun permanent =
      machine.RunTunora(kOpenPage + TestNowThenTest() +
                        "expect window 166\npress 1\nexpect window 167\npress 1\n" + kLeave);
  ASSERT_EQ(permanent.exit_code, 0) << permanent.errors << permanent.transcript;
  ASSERT_TRUE(ClockValue(machine, "Max"));
  ASSERT_TRUE(machine.FileExists("C:\\WINNT\\Lockstep.exe"));

  const ProgramRun removed = machine.RunTunora(card_default);
  ASSERT_EQ(removed.exit_code, 0) << removed.errors << removed.transcript;
  EXPECT_EQ(machine.Registry(kClockSettingKey), "REGEDIT4\n\n");
  EXPECT_FALSE(RunValue(machine));
  EXPECT_FALSE(machine.FileExists("C:\\WINNT\\Lockstep.exe"));
}

struct ActivationCase {
  const char* what;
  sim::Profile profile;
  std::string message;  // expected on the first activation, or empty
  bool message_again;   // and on the next one
  const char* percent;
  int position;  // trackbar and progress bar
  bool test_now;
};

// The page shows where the running clock stands; safe mode and the divider
// check disable "Test Now" for good, with their message once per sheet.
TEST(ClockPage, ActivationDerivesTheSliderAndDisablesTestNow) {
  sim::Profile safe_mode = Builtin("win98-qx1");
  safe_mode.clean_boot = 1;
  // "QX2 or QX2E ???": rated clock unknown (100), running at 200.
  sim::Profile unidentified = Builtin("win2000-qx2max");
  unidentified.pci.back().subsystem_id = 0x1234;
  const ActivationCase cases[] = {
      {"at the rated clock", Builtin("win2000-qx2max"), "", false, "100 %", 100, true},
      {"rated + 30", WithPll("win2000-qx2max", {10, 93}), "", false, "110 %", 110, true},
      {"rated + 90", WithPll("win2000-qx2max", {3, 42}), "", false, "130 %", 120, true},
      // 81 MHz, below the base clock, with a divider ratio of 1.0.
      {"divider check", WithPll("win2000-qx2max", {2, 8}), std::string(kQx2DividerFailure), true,
       "0 %", 0, false},
      {"safe mode", safe_mode, std::string(kClockSafeMode), false, "100 %", 100, false},
      {"unidentified card", unidentified, "", false, "133 %", 120, false},
  };
  for (const ActivationCase& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine machine(c.profile);
    const std::string message = c.message.empty() ? "" : Expect(c.message);
    const ProgramRun run =
        machine.RunTunora(kOpenPage + message +
                          "tab \"OpenGL\"\nexpect window 135\ntab \"Clock Tweak\"\n"
                          "expect window 165\n" +
                          (c.message_again ? message : "") + "dump\n" + kLeave);
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    const std::string& t = run.transcript;
    const std::string pos = " pos=" + std::to_string(c.position) + " range=0..120";
    EXPECT_TRUE(HasLine(t, "control 1087 static \"" + std::string(c.percent) + "\"")) << t;
    EXPECT_TRUE(HasLine(t, "control 1091 trackbar \"\"" + pos)) << t;
    EXPECT_TRUE(HasLine(t, "control 1094 progress \"\"" + pos)) << t;
    EXPECT_EQ(HasLine(t, "control 1095 button \"Test Now\""), c.test_now) << t;
    EXPECT_EQ(HasLine(t, "control 1095 button \"Test Now\" disabled"), !c.test_now) << t;
  }
}

}  // namespace
}  // namespace tunora::testing
