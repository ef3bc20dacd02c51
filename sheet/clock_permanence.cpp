#include "sheet/clock_permanence.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "resources/embedded.h"
#include "resources/strings.h"

namespace tunora {
namespace {

bool SetDword(Registry& registry, RegKey key, std::string_view name, std::uint32_t value) {
  const std::array<std::uint8_t, 4> data = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  return registry.SetValue(key, name, kRegDword, data.data(), 4) == kErrorSuccess;
}

std::string LockstepPath(Files& files) {
  return files.WindowsDirectory() + std::string(kLockstepFileName);
}

void StoreChoice(Platform& platform, const ClockChoice& choice) {
  Registry& registry = platform.registry;
  const auto report = [&](std::string_view text) {
    platform.ui.MessageBox(text, kProgramName, kMbOk);
  };
  const RegistryChanges changes(registry);
  RegKey key = 0;
  if (registry.CreateKey(kHkeyLocalMachine, kClockSettingKey, kKeyAllAccess, &key) !=
      kErrorSuccess) {
    report(kUnableToAccessRegistry1);
    return;
  }
  // The position's low byte, then three zero bytes.
  const auto percent =
      static_cast<std::uint8_t>(std::clamp(choice.slider_position, 0, kHighestStoredPercent));
  if (!SetDword(registry, key, "Percent", percent)) report(kErrorSettingValue1);
  if (!SetDword(registry, key, "Card", static_cast<std::uint32_t>(choice.family))) {
    report(kErrorSettingValue2);
  }
  if (choice.family == kFamilyQx2 && !SetDword(registry, key, "Max", choice.max_board ? 0 : 1)) {
    report(kErrorSettingValue2);
  }
  // lockstep leaves this mark when a log-on died applying the old choice;
  // a new choice is tried again.
  registry.DeleteValue(key, kClockApplyingValue);
  registry.CloseKey(key);
}

}  // namespace

void MakeClockPermanent(Platform& platform, const ClockChoice& choice) {
  Registry& registry = platform.registry;
  StoreChoice(platform, choice);

  const std::string path = LockstepPath(platform.files);
  const std::optional<std::string_view> image = TunoraResource(kResLockstep);
  if (!image || !platform.files.WriteFile(path, *image)) {
    platform.ui.MessageBox(kUnableToWriteLockstep, kProgramName, kMbOk);
  }

  RegKey run = 0;
  if (registry.CreateKey(kHkeyLocalMachine, kRunKey, kKeyAllAccess, &run) != kErrorSuccess) {
    platform.ui.MessageBox(kUnableToAccessRegistry2, kProgramName, kMbOk);
    return;
  }
  std::string buffer(kRunPathBufferBytes, '\0');
  path.copy(buffer.data(), std::min<std::size_t>(path.size(), kRunPathBufferBytes - 1));
  if (registry.SetValue(run, kLockstepRunValue, kRegSz,
                        reinterpret_cast<const std::uint8_t*>(buffer.data()),
                        kRunPathBufferBytes) != kErrorSuccess) {
    platform.ui.MessageBox(kErrorSettingValue3, kProgramName, kMbOk);
  }
  registry.CloseKey(run);
}

void RemoveClockPermanence(Platform& platform) {
  Registry& registry = platform.registry;
  platform.files.DeleteFile(LockstepPath(platform.files));
  RegKey key = 0;
  if (registry.OpenKey(kHkeyLocalMachine, kClockSettingKey, kKeyAllAccess, &key) == kErrorSuccess) {
    registry.DeleteValue(key, "Percent");
    registry.DeleteValue(key, "Card");
    registry.CloseKey(key);
  }
  // Goes with any value left in it, such as "Max".
  registry.DeleteKey(kHkeyLocalMachine, kClockSettingKey);
  if (registry.OpenKey(kHkeyLocalMachine, kRunKey, kKeyAllAccess, &key) == kErrorSuccess) {
    registry.DeleteValue(key, kLockstepRunValue);
    registry.CloseKey(key);
  }
}

}  // namespace tunora
