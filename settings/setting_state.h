// The settings as the tweak sheet holds them: the current values, the
// values read when the sheet opened (for Reset All), and the changed
// markers of the four settings that are written only when touched. Plus
// the two orders the sheet runs: all readers when it opens, all writers on
// Apply.
#pragma once

#include <cstdint>
#include <functional>

#include "settings/catalog.h"
#include "settings/settings_context.h"

namespace tunora {

struct SettingValues {
  std::int32_t agp_mode = kUnchanged;
  std::int32_t flip_on_vblank = kUnchanged;  // Direct3D vertical sync
  std::int32_t bus_mastering = kUnchanged;
  std::int32_t bitmap_caching = kUnchanged;
  OglPresetChoice ogl;                 // preset 1 until read
  std::int32_t subimage_cache_kb = 0;  // 0 = leave the driver's value alone
  // Not read when the sheet opens; the OpenGL page reads it when it shows.
  // kUnchanged until then, so an Apply that never showed the page neither
  // enables nor removes it.
  std::int32_t multitexturing = kUnchanged;
  friend bool operator==(const SettingValues&, const SettingValues&) = default;
};

// Set to 1 by a page when the user picks a choice.
struct ChangedMarkers {
  std::int32_t agp_mode = kUnchanged;
  std::int32_t flip_on_vblank = kUnchanged;
  std::int32_t bus_mastering = kUnchanged;
  std::int32_t bitmap_caching = kUnchanged;
  // The OpenGL page's marker: consulted only for whether Apply starts
  // enabled; the preset is written on every Apply regardless.
  std::int32_t ogl = kUnchanged;
  // Any of the five set: the sheet opens with Apply enabled.
  bool AnyPending() const {
    return agp_mode != kUnchanged || flip_on_vblank != kUnchanged || bus_mastering != kUnchanged ||
           bitmap_caching != kUnchanged || ogl != kUnchanged;
  }
  friend bool operator==(const ChangedMarkers&, const ChangedMarkers&) = default;
};

struct SettingState {
  SettingValues current;
  SettingValues at_opening;
  ChangedMarkers changed;
};

// A sub-image cache size read as 524288 KB is recorded as 512 KB.
std::int32_t RecordedSubImageCache(std::int32_t kilobytes_read);

// Runs the readers of the running road in their order and records each
// value twice, as current and as at-opening value. The markers are not
// touched (the main window resets them when it names the card).
// `read_capture_switch` is the capture application's switch reader, which
// runs last on 98/ME and 2000/XP; the TV-tuner page owns it.
void ReadSettingsForSheet(const SettingsContext& context, SettingState* state,
                          const std::function<void()>& read_capture_switch = {});

// A fresh state with every marker kUnchanged and the values just read.
SettingState ReadAllSettings(const SettingsContext& context);

// Writers owned by other pages that Apply runs at their places in the
// order; each decides from its own pending state whether to write.
struct ApplyHooks {
  std::function<void()> write_tv_frequencies;  // first, on every road
  std::function<void()> write_custom_mode;     // second, on 98/ME and 2000/XP
  std::function<void()> write_capture_switch;  // after the sub-image cache, 98/ME and 2000/XP
};

// Whether each writer wrote; a writer that did not run leaves its true.
struct ApplyResults {
  bool agp_mode = true;
  bool flip_on_vblank = true;
  bool bus_mastering = true;
  bool bitmap_caching = true;
  bool ogl_preset = true;  // WriteOglPreset only; the defaults reset never fails
  bool subimage_cache = true;

  // Whether a failure must stop "Reboot Now": every result above except the
  // sub-image cache, which counts on Windows 98/ME only.
  bool AnyRebootBlockingFailure(PlatformKind platform) const;
};

// Runs the writers in the Apply order, each under its condition.
ApplyResults WriteAllSettings(const SettingsContext& context, const SettingState& state,
                              const ApplyHooks& hooks = {});

}  // namespace tunora
