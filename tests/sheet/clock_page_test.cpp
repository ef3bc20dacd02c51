// The Clock Tweak page's arithmetic (slider to clock offset, running clock
// to slider) and the permanent clock's writes when the registry refuses a
// step or the program file cannot be written.
#include "sheet/clock_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "automation/window_model.h"
#include "registry/reg_access.h"
#include "resources/dialogs.h"
#include "sheet/clock_permanence.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/identified_app.h"
#include "tests/support/misbehaving_registry.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

TEST(ClockPage, SliderPositionToClockOffset) {
  const std::pair<int, int> cases[] = {{0, 0},     {1, 1},     {99, 99},  {100, 100},
                                       {101, 103}, {110, 130}, {120, 160}};
  for (const auto& [position, offset] : cases)
    EXPECT_EQ(ClockOffsetFor(position), offset) << position;
}

TEST(ClockPage, RunningClockToSliderPosition) {
  struct Case {
    int current, rated;
    std::optional<int> position;
  };
  const Case cases[] = {
      {200, 200, 100}, {230, 200, 110}, {290, 200, 130},         {202, 200, 100}, {203, 200, 101},
      {150, 200, 50},  {100, 200, 0},   {99, 200, std::nullopt}, {166, 166, 100},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SliderPositionFor(c.current, c.rated), c.position) << c.current << " " << c.rated;
  }
}

// "<" and ">" give the clicked button its plain style back and step the
// progress bar, whose step is 1; a test tells the UI it lasts ten seconds,
// an apply until the next reboot does not.
TEST(ClockPage, StepButtonsProgressStepAndTheTestsLength) {
  IdentifiedApp run("win2000-qx2max");
  ClockPage page(run.app);
  sim::WindowModel window(ClockPageDialog());
  page.OnInit(window);
  page.OnNotify(window, kPsnSetActive);
  EXPECT_EQ(window.Find(kIdcClockProgress)->step, 1);
  const int at = window.Position(kIdcClockProgress);
  struct Step {
    int id;
    int moved;
  };
  for (const Step& step : {Step{kIdcClockUp, 1}, Step{kIdcClockDown, 0}}) {
    SCOPED_TRACE(step.id);
    window.UserClick(step.id);
    EXPECT_TRUE(window.Find(step.id)->default_look);
    page.OnCommand(window, step.id, kBnClicked);
    EXPECT_FALSE(window.Find(step.id)->default_look);
    EXPECT_EQ(window.Position(kIdcClockProgress), at + step.moved);
  }
  page.ApplyUntilReboot();
  EXPECT_TRUE(run.ui.expected_waits.empty());
  page.RunTest();
  EXPECT_EQ(run.ui.expected_waits, std::vector<std::uint32_t>{kClockTestMs});
}

// Refuses creating the key, or setting the value, named `refused`.
class RefusingRegistry : public MisbehavingRegistry {
 public:
  RefusingRegistry(Registry& honest, std::string refused)
      : MisbehavingRegistry(honest), refused_(std::move(refused)) {}
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override {
    if (path == refused_) return kErrorAccessDenied;
    return MisbehavingRegistry::CreateKey(parent, path, access, out);
  }
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    if (name == refused_) return kErrorAccessDenied;
    return MisbehavingRegistry::SetValue(key, name, type, data, size);
  }

 private:
  std::string refused_;
};

// Every step is tried whatever failed before it, except that a Run key
// that does not open ends the operation. The program file cannot be
// written here (a folder has its name), which is reported too.
TEST(ClockPermanence, EachFailureIsReportedAndTheOtherStepsStillRun) {
  const std::string W(kUnableToWriteLockstep);
  struct Case {
    std::string refused;
    std::vector<std::string> messages;
    bool card_stored, run_value_stored;
  };
  const Case cases[] = {
      {"", {W}, true, true},
      {kClockSettingKey, {std::string(kUnableToAccessRegistry1), W}, false, true},
      {"Percent", {std::string(kErrorSettingValue1), W}, true, true},
      {"Card", {std::string(kErrorSettingValue2), W}, false, true},
      {"Max", {std::string(kErrorSettingValue2), W}, true, true},
      {kRunKey, {W, std::string(kUnableToAccessRegistry2)}, true, false},
      {std::string(kLockstepRunValue), {W, std::string(kErrorSettingValue3)}, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.refused);
    TestMachine test_machine("win2000-qx2max");
    auto machine = test_machine.Open();
    std::filesystem::create_directories(machine->drive_c() / "WINNT" / "Lockstep.exe");
    // A log-on that died applying the last choice.
    const RegHandle before = RegHandle::Create(machine->registry(), kClockSettingKey);
    SetNumber(machine->registry(), before.key(), kClockApplyingValue, 1);
    FakeUi ui;
    sim::SimProcess process(*machine, ui);
    Platform& honest = process.platform();
    RefusingRegistry registry(honest.registry, c.refused);
    Platform platform{registry,     honest.devices, honest.ports, honest.memory,
                      honest.files, honest.system,  ui,           honest.wmi};

    MakeClockPermanent(platform, {130, kFamilyQx2, true});

    std::vector<std::string> shown;
    for (const FakeUi::Message& message : ui.messages) {
      shown.push_back(message.text);
      EXPECT_EQ(message.caption, "tunora");
    }
    EXPECT_EQ(shown, c.messages);
    const RegHandle clock = RegHandle::Open(machine->registry(), kClockSettingKey);
    const std::optional<std::uint32_t> card =
        clock ? QueryNumber(machine->registry(), clock.key(), "Card") : std::nullopt;
    EXPECT_EQ(card.has_value(), c.card_stored);
    if (c.refused.empty()) {
      // lockstep refuses positions above 120.
      EXPECT_EQ(QueryNumber(machine->registry(), clock.key(), "Percent"), 120u);
      EXPECT_EQ(QueryNumber(machine->registry(), clock.key(), "Max"), 0u);
      EXPECT_FALSE(ValueExists(machine->registry(), clock.key(), kClockApplyingValue));
    }
    const RegHandle run = RegHandle::Open(machine->registry(), kRunKey);
    EXPECT_EQ(ValueExists(machine->registry(), run.key(), kLockstepRunValue), c.run_value_stored);
  }
}

}  // namespace
}  // namespace tunora::testing
