// A small machine for settings tests: a simulated registry loaded from
// REGEDIT4 text, a recording user interface and the settings context over
// them. On destruction it checks that the code under test closed every
// registry handle it opened.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "settings/settings_context.h"
#include "tests/support/fake_ui.h"
#include "tests/support/registry_fixture.h"

namespace tunora {

// The board the tests pretend to have found: a QX2 DUO MAX.
inline constexpr std::uint32_t kOurDevice = 0x0525;
inline constexpr std::uint32_t kOurSubsystem = 0x217D;

inline std::string Reg(std::string_view body) { return "REGEDIT4\n\n" + std::string(body); }

struct MachineSetup {
  PlatformKind platform = kPlatformWin2kXp;
  ChipFamily family = kFamilyQx2;
  DriverVersion version{};
  bool administrator = true;
};

class SettingsMachine {
 public:
  explicit SettingsMachine(std::string_view regedit4_body, MachineSetup setup = {})
      : registry_(MakeRegistry(Reg(regedit4_body), setup.administrator)),
        context{*registry_,    ui,           setup.platform, setup.family, kOurDevice,
                kOurSubsystem, setup.version} {}
  SettingsMachine(const SettingsMachine&) = delete;
  SettingsMachine& operator=(const SettingsMachine&) = delete;
  ~SettingsMachine() {
    EXPECT_EQ(registry_->open_handle_count(), 0u) << "a registry handle leaked";
  }

  sim::SimRegistry& registry() { return *registry_; }
  // The same run over another registry (one that records or refuses).
  SettingsContext ContextOver(Registry& registry) {
    return {registry,
            ui,
            context.platform_kind,
            context.chip_family,
            context.device_id,
            context.subsystem_id,
            context.driver_version};
  }
  // REGEDIT4 text of a subtree ("" for the whole hive).
  std::string Export(std::string_view path = "") { return ExportKey(*registry_, path); }
  // The stored bytes of one value, or "<absent>".
  std::string Data(std::string_view key_path, std::string_view name) {
    const sim::HiveValue* value = registry_->hive().FindValue(key_path, name);
    return value ? value->data : std::string("<absent>");
  }

 private:
  std::unique_ptr<sim::SimRegistry> registry_;

 public:
  FakeUi ui;
  SettingsContext context;
};

// Runs `read` and checks that it changed nothing in the registry.
template <typename Read>
auto ReadOnly(SettingsMachine& machine, Read read) {
  const std::string before = machine.Export();
  auto result = read();
  EXPECT_EQ(machine.Export(), before) << "a reader changed the registry";
  return result;
}

}  // namespace tunora
