// The display-driver settings the tweak sheet edits: one reader and one
// writer per setting, for the running road (98/ME, NT 4, 2000/XP). Readers
// return the value for the setting state; writers return true when at
// least one key of their search was written to and false otherwise (Apply
// examines every writer's result, so none may be dropped).
#pragma once

#include <cstdint>

#include "settings/settings_context.h"

namespace tunora {

// A setting not touched since the sheet opened, or a value with no known
// choice.
inline constexpr std::int32_t kUnchanged = 0x7FFF;

// AGP transfer mode.
inline constexpr std::int32_t kAgpDefault = 0;
inline constexpr std::int32_t kAgp1x = 1;
inline constexpr std::int32_t kAgp2x = 2;
inline constexpr std::int32_t kAgp4x = 4;

std::int32_t ReadAgpMode(const SettingsContext& context);
[[nodiscard]] bool WriteAgpMode(const SettingsContext& context, std::int32_t mode);

// Direct3D vertical sync, bus mastering and device-bitmap caching: 0 forced
// off, 1 forced on. Direct3D vertical sync is neither read nor written on
// NT 4 (the reader gives kUnchanged there).
std::int32_t ReadFlipOnVBlank(const SettingsContext& context);
[[nodiscard]] bool WriteFlipOnVBlank(const SettingsContext& context, std::int32_t value);
std::int32_t ReadBusMastering(const SettingsContext& context);
[[nodiscard]] bool WriteBusMastering(const SettingsContext& context, std::int32_t value);
std::int32_t ReadBitmapCaching(const SettingsContext& context);
[[nodiscard]] bool WriteBitmapCaching(const SettingsContext& context, std::int32_t value);

// OpenGL optimisation preset and the three choices that go with it.
inline constexpr std::int32_t kOglDriverDefaults = 1;
inline constexpr std::int32_t kOglSpeed = 2;
inline constexpr std::int32_t kOglAccuracy = 3;
inline constexpr std::int32_t kOglCustom = 4;
// Vertical-sync modes (OglVsyncMode).
inline constexpr std::int32_t kVsyncAlwaysOff = 1;
inline constexpr std::int32_t kVsyncAlwaysOn = 2;
inline constexpr std::int32_t kVsyncApplicationDecides = 3;

struct OglPresetChoice {
  std::int32_t preset = kOglDriverDefaults;
  std::int32_t page_flipping = 0;         // 0 block transfers, 1 page flipping
  std::int32_t vsync_mode = kUnchanged;   // 1, 2, 3 or kUnchanged
  std::int32_t app_default = kUnchanged;  // 0 off, 1 on by default, or kUnchanged
  friend bool operator==(const OglPresetChoice&, const OglPresetChoice&) = default;
};

OglPresetChoice ReadOglPreset(const SettingsContext& context);
// Presets 2 to 4. Shows a message and fails when the driver's base key is
// missing.
[[nodiscard]] bool WriteOglPreset(const SettingsContext& context, const OglPresetChoice& choice);
// Preset 1: removes the driver's OpenGL tuning values everywhere. Never fails.
void ResetOglDefaults(const SettingsContext& context);

// OpenGL sub-image cache size in kilobytes (512 when the driver has none).
inline constexpr std::int32_t kSubImageCacheDefaultKb = 512;
std::int32_t ReadSubImageCache(const SettingsContext& context);
[[nodiscard]] bool WriteSubImageCache(const SettingsContext& context, std::int32_t kilobytes);

// Advanced multitexturing: 0 off, 1 on. The two writers report nothing.
std::int32_t ReadMultitexturing(const SettingsContext& context);
void EnableMultitexturing(const SettingsContext& context);
void DisableMultitexturing(const SettingsContext& context);

}  // namespace tunora
