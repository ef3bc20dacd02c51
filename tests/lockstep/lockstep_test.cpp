// lockstep on simulated PCs: what it prints and returns for each stored
// setting and machine, what it leaves on the card, and the guard against
// applying a clock again after a log-on that died applying it.
#include <gtest/gtest.h>

#include <array>
#include <optional>

#include "automation/ui_script.h"
#include "hwaccess/clock.h"
#include "platform/platform.h"
#include "registry/reg_access.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

struct Stored {
  std::optional<std::int64_t> percent, card, max;
  bool applying = false;  // left by a log-on that died
};

void Store(Registry& registry, const Stored& stored) {
  if (!stored.percent && !stored.card) return;
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, kClockSettingKey, kKeyAllAccess, &key),
            kErrorSuccess);
  const auto put = [&](const char* name, std::int64_t value) {
    ASSERT_TRUE(SetNumber(registry, key, name, static_cast<std::uint32_t>(value)));
  };
  if (stored.percent) put("Percent", *stored.percent);
  if (stored.card) put("Card", *stored.card);
  if (stored.max) put("Max", *stored.max);
  if (stored.applying) put(kClockApplyingValue, 1);
  registry.CloseKey(key);
}

// The lines after the banner, as the console got them.
std::vector<std::string> ConsoleLines(const FakeUi& ui) {
  std::vector<std::string> lines;
  for (const std::string& event : ui.events) {
    if (event.rfind("console ", 0) == 0) lines.push_back(event);
  }
  return lines.size() >= 4 ? std::vector<std::string>(lines.begin() + 4, lines.end()) : lines;
}

std::vector<std::string> Quoted(const std::vector<std::string>& lines) {
  std::vector<std::string> quoted;
  for (const std::string& line : lines) quoted.push_back("console " + sim::QuoteScriptString(line));
  return quoted;
}

struct Outcome {
  int exit_code = 0;
  std::vector<std::string> lines;
  double clock_mhz = 0;  // the first card's, afterwards
};

class LockstepRun {
 public:
  LockstepRun(const sim::Profile& profile, const Stored& stored)
      : test_machine_(profile), machine_(test_machine_.Open()), process_(*machine_, ui) {
    Store(machine_->registry(), stored);
  }
  Outcome Go(Platform& platform) {
    Outcome run;
    run.exit_code = LockstepMain(platform);
    run.lines = ConsoleLines(ui);
    if (!machine_->cards().empty()) run.clock_mhz = machine_->cards()[0]->ClockMhz();
    return run;
  }
  Outcome Go() { return Go(process_.platform()); }
  Platform& platform() { return process_.platform(); }
  sim::Machine& machine() { return *machine_; }

  FakeUi ui;

 private:
  TestMachine test_machine_;
  std::unique_ptr<sim::Machine> machine_;
  sim::SimProcess process_;
};

sim::Profile WithCleanBoot(sim::Profile profile) {
  profile.clean_boot = 1;
  return profile;
}

sim::Profile WithSlowClock(sim::Profile profile) {
  for (sim::PciDeviceSpec& device : profile.pci) {
    if (device.card) device.card->pll_n = 20;  // 81 MHz with M = 6
  }
  return profile;
}

sim::Profile WithSecondBoard(sim::Profile profile) {
  sim::PciDeviceSpec second = profile.pci.back();
  second.bus = 2;
  second.card.reset();
  profile.pci.push_back(second);
  return profile;
}

sim::Profile WithPlatform(sim::Profile profile, std::uint32_t platform_id) {
  profile.version.platform_id = platform_id;
  return profile;
}

struct Case {
  const char* what;
  sim::Profile profile;
  Stored stored;
  int exit_code;
  std::vector<std::string> lines;
  double clock_mhz;  // 0: not checked
};

const std::string kOverClocked = "[ Card is OverClocked ]";
const std::string kSafeMode = "[ GetSystemMetrics (CM_CLEANBOOT) reports vaue > 0 ]";

TEST(Lockstep, OutputExitCodeAndClock) {
  const sim::Profile qx2 = Builtin("win2000-qx2max");  // rated 200 MHz, runs 200.57
  const sim::Profile qx1 = Builtin("win98-qx1");       // rated 166 MHz, runs 166.5
  const std::vector<Case> cases = {
      {"no Clock key", qx2, {}, 0, {"RegOpenKeyEx Failure!"}, 0},
      {"no Card", qx2, {100, {}, {}}, 0, {"RegQueryValueEx Failure!"}, 0},
      {"Card 450", qx2, {100, 450, 0}, 0, {"Invalid Setting!!!", "Registry Error!!! (#1)"}, 0},
      {"Percent 121", qx2, {121, 400, 0}, 0, {"Invalid Setting!!!", "Registry Error!!! (#2)"}, 0},
      {"Percent -1", qx2, {-1, 400, 0}, 0, {"Invalid Setting!!!", "Registry Error!!! (#2)"}, 0},
      {"Max 2", qx2, {100, 400, 2}, 0, {"Invalid Setting!!!", "Registry Error!!! (#3)"}, 0},
      {"Win32s", WithPlatform(qx2, 0), {100, 400, 0}, 0, {"Unsupported Platform!"}, 0},
      {"QX2 at 120 %: target = limit = 260",
       qx2,
       {120, 400, 1},
       1,
       {"", "[ QX2 ]", "", kOverClocked, ""},
       27.0 * 106 / 11},
      {"no Max: the Max board's slot, 100 % = rated",
       qx2,
       {100, 400, {}},
       1,
       {"", "[ QX2 Max ]", "", kOverClocked, ""},
       27.0 * 52 / 7},
      {"QX1 on 98 at 110 %: 66 + 130",
       qx1,
       {110, 200, {}},
       1,
       {"", "[ QX1 ]", "", kOverClocked, ""},
       27.0 * 51 / 7},
      {"safe mode on NT: programmed, said last",
       WithCleanBoot(qx2),
       {100, 400, 0},
       1,
       {"", "[ QX2 Max ]", "", kOverClocked, "", kSafeMode, ""},
       27.0 * 52 / 7},
      {"safe mode on 98: not programmed",
       WithCleanBoot(qx1),
       {110, 200, {}},
       1,
       {"", "[ QX1 ]", "", kSafeMode, ""},
       166.5},
      {"divider check",
       WithSlowClock(qx2),
       {100, 400, 0},
       1,
       {"", "[ QX2 Max ]", "", "[ Card is NOT OverClocked - Divider Error! ]", ""},
       81},
      {"two boards",
       WithSecondBoard(qx2),
       {100, 400, 0},
       1,
       {"", "[ QX2 Max ]", "", "[ Card is NOT OverClocked too many cards! ]", "",
        "[ Card is NOT OverClocked ]", ""},
       27.0 * 52 / 7},
      {"no card",
       Builtin("win2000-nocard"),
       {100, 400, 0},
       1,
       {"", "[ QX2 Max ]", "", "[ Card is NOT OverClocked - no card found ]", ""},
       0},
      {"the last log-on died applying it",
       qx2,
       {120, 400, 1, true},
       1,
       {"", "[ QX2 ]", "",
        "[ Card is NOT OverClocked - the last log-on stopped while setting the clock ]", ""},
       27.0 * 52 / 7},
  };
  for (const Case& c : cases) {
    LockstepRun lockstep(c.profile, c.stored);
    const Outcome run = lockstep.Go();
    EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
    EXPECT_EQ(run.lines, Quoted(c.lines)) << c.what;
    if (c.clock_mhz != 0) {
      EXPECT_NEAR(run.clock_mhz, c.clock_mhz, 0.01) << c.what;
    }
    EXPECT_TRUE(lockstep.ui.messages.empty()) << c.what << ": a console program shows no boxes";
  }
}

TEST(Lockstep, BannerComesFirst) {
  LockstepRun lockstep(Builtin("win2000-qx2max"), {});
  lockstep.Go();
  ASSERT_GE(lockstep.ui.events.size(), 4u);
  EXPECT_EQ(lockstep.ui.events[0], "console \"\"");
  EXPECT_EQ(lockstep.ui.events[1], "console \"Quillex Graphics Inc. - Lockstep v0.0.9c\"");
  EXPECT_EQ(lockstep.ui.events[3], "console \"\"");
}

// The machine dies at a chosen point of lockstep's run.
struct MachineDied {};
struct DeathPoint {
  std::optional<std::uint32_t> sleep_ms;  // a Sleep of this length
  std::optional<std::string> line;        // this console line
  bool metrics = false;                   // the safe-mode query, before programming
};
class DyingSystem : public System {
 public:
  DyingSystem(System& inner, DeathPoint death) : inner_(inner), death_(std::move(death)) {}
  OsVersion GetVersion() override { return inner_.GetVersion(); }
  int GetSystemMetrics(int index) override {
    if (death_.metrics) throw MachineDied{};
    return inner_.GetSystemMetrics(index);
  }
  void Sleep(std::uint32_t ms) override {
    if (death_.sleep_ms == ms) throw MachineDied{};
    inner_.Sleep(ms);
  }
  std::uint32_t GetTickCount() override { return inner_.GetTickCount(); }
  bool Beep(std::uint32_t f, std::uint32_t d) override { return inner_.Beep(f, d); }
  bool PlaySoundFile(std::string_view path) override { return inner_.PlaySoundFile(path); }
  bool ShellOpen(std::string_view f, std::string_view p) override { return inner_.ShellOpen(f, p); }
  bool EnableShutdownPrivilege() override { return inner_.EnableShutdownPrivilege(); }
  bool ExitWindows(std::uint32_t flags) override { return inner_.ExitWindows(flags); }
  void WriteConsoleLine(std::string_view line) override {
    if (death_.line == line) throw MachineDied{};
    inner_.WriteConsoleLine(line);
  }
  void ReleaseConsole() override { ++releases; }

  int releases = 0;

 private:
  System& inner_;
  DeathPoint death_;
};

// The log-on guard survives the crash it guards against: the mark is on
// disk (flushed) from right before the card's clock is first written
// until the new clock has held for kClockHoldMs, and only then; a run that
// ends before the card is touched leaves none. The next log-on applies the
// clock again exactly when no mark was left.
TEST(Lockstep, ApplyingMarkSurvivesACrashAtEachPoint) {
  const std::string kStopped =
      "[ Card is NOT OverClocked - the last log-on stopped while setting the clock ]";
  struct CrashCase {
    const char* what;
    Stored stored;
    std::optional<DeathPoint> death;  // none: the run ends normally
    bool mark_left;
    bool console_released;  // the hold had begun
  };
  const CrashCase cases[] = {
      {"before programming", {120, 400, 1}, DeathPoint{{}, {}, true}, false, false},
      {"during programming (the blanking pause)",
       {120, 400, 1},
       DeathPoint{21u, {}, false},
       true,
       false},
      {"after programming, reporting it",
       {120, 400, 1},
       DeathPoint{{}, kOverClocked, false},
       true,
       false},
      {"within the hold period", {120, 400, 1}, DeathPoint{kClockHoldMs, {}, false}, true, true},
      {"after the hold period", {120, 400, 1}, std::nullopt, false, true},
      {"refused before the card is touched (134 MHz has no dividers)",
       {34, 400, 0},
       std::nullopt,
       false,
       false},
  };
  for (const CrashCase& c : cases) {
    SCOPED_TRACE(c.what);
    LockstepRun first(Builtin("win2000-qx2max"), c.stored);
    Platform& p = first.platform();
    DyingSystem dying(p.system, c.death.value_or(DeathPoint{}));
    Platform crashing{p.registry, p.devices, p.ports, p.memory, p.files, dying, p.ui, p.wmi};
    if (c.death) {
      EXPECT_THROW(LockstepMain(crashing), MachineDied);
    } else {
      EXPECT_EQ(LockstepMain(crashing), 1);
    }
    // What the disk holds is what the next log-on finds.
    sim::SimRegistry& registry = first.machine().registry();
    const auto on_disk = sim::LoadHiveFile(*registry.file());
    EXPECT_EQ(on_disk.FindValue(kClockSettingKey, kClockApplyingValue) != nullptr, c.mark_left);
    if (c.mark_left) {
      EXPECT_GE(registry.flush_count(), 1u);
    }
    // The console went before the hold, and only when there was one.
    EXPECT_EQ(dying.releases, c.console_released ? 1 : 0);

    FakeUi ui;
    sim::SimProcess next(first.machine(), ui);
    first.machine().cards()[0]->Reset();  // the reboot between the log-ons
    EXPECT_EQ(LockstepMain(next.platform()), 1);
    const std::vector<std::string> lines = ConsoleLines(ui);
    const bool applied =
        std::find(lines.begin(), lines.end(), Quoted({kOverClocked})[0]) != lines.end();
    const bool refused =
        std::find(lines.begin(), lines.end(), Quoted({kStopped})[0]) != lines.end();
    const bool programmable = c.stored.percent == 120;
    EXPECT_EQ(applied, programmable && !c.mark_left);
    EXPECT_EQ(refused, c.mark_left);
  }
}

}  // namespace
}  // namespace tunora::testing
