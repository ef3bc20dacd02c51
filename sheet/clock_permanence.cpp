#include "sheet/clock_permanence.h"

#include <algorithm>
#include <optional>
#include <string>

#include "registry/reg_access.h"
#include "resources/embedded.h"
#include "resources/strings.h"

namespace tunora {
namespace {

std::string LockstepPath(Files& files) {
  return files.WindowsDirectory() + std::string(kLockstepFileName);
}

void StoreChoice(Platform& platform, const ClockChoice& choice) {
  Registry& registry = platform.registry;
  const auto report = [&](std::string_view text) {
    platform.ui.MessageBox(text, kProgramName, kMbOk);
  };
  const RegistryChanges changes(registry);
  const RegHandle handle = RegHandle::Create(registry, kClockSettingKey);
  if (!handle) {
    report(kUnableToAccessRegistry1);
    return;
  }
  const RegKey key = handle.key();
  // The position's low byte, then three zero bytes.
  const auto percent =
      static_cast<std::uint8_t>(std::clamp(choice.slider_position, 0, kHighestStoredPercent));
  if (!SetNumber(registry, key, "Percent", percent)) report(kErrorSettingValue1);
  if (!SetNumber(registry, key, "Card", static_cast<std::uint32_t>(choice.family))) {
    report(kErrorSettingValue2);
  }
  if (choice.family == kFamilyQx2 && !SetNumber(registry, key, "Max", choice.max_board ? 0 : 1)) {
    report(kErrorSettingValue2);
  }
  // lockstep leaves this mark when a log-on died applying the old choice;
  // a new choice is tried again.
  registry.DeleteValue(key, kClockApplyingValue);
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

  const RegHandle run = RegHandle::Create(registry, kRunKey);
  if (!run) {
    platform.ui.MessageBox(kUnableToAccessRegistry2, kProgramName, kMbOk);
    return;
  }
  std::string buffer(kRunPathBufferBytes, '\0');
  path.copy(buffer.data(), std::min<std::size_t>(path.size(), kRunPathBufferBytes - 1));
  if (registry.SetValue(run.key(), kLockstepRunValue, kRegSz,
                        reinterpret_cast<const std::uint8_t*>(buffer.data()),
                        kRunPathBufferBytes) != kErrorSuccess) {
    platform.ui.MessageBox(kErrorSettingValue3, kProgramName, kMbOk);
  }
}

void RemoveClockPermanence(Platform& platform) {
  Registry& registry = platform.registry;
  platform.files.DeleteFile(LockstepPath(platform.files));
  if (const RegHandle key = RegHandle::Open(registry, kClockSettingKey)) {
    registry.DeleteValue(key.key(), "Percent");
    registry.DeleteValue(key.key(), "Card");
  }
  // Goes with any value left in it, such as "Max".
  registry.DeleteKey(kHkeyLocalMachine, kClockSettingKey);
  if (const RegHandle run = RegHandle::Open(registry, kRunKey)) {
    registry.DeleteValue(run.key(), kLockstepRunValue);
  }
}

}  // namespace tunora
