#include "settings/setting_state.h"

namespace tunora {

namespace {

void Run(const std::function<void()>& hook) {
  if (hook) hook();
}

void ReadCatalog(const SettingsContext& context, SettingValues* values,
                 const std::function<void()>& read_capture_switch) {
  const PlatformKind platform = context.platform_kind;
  if (platform != kPlatform9x && platform != kPlatformNt4 && platform != kPlatformWin2kXp) return;
  values->agp_mode = ReadAgpMode(context);
  if (platform != kPlatformNt4) values->flip_on_vblank = ReadFlipOnVBlank(context);
  values->bus_mastering = ReadBusMastering(context);
  values->bitmap_caching = ReadBitmapCaching(context);
  values->ogl = ReadOglPreset(context);
  values->subimage_cache_kb = RecordedSubImageCache(ReadSubImageCache(context));
  Run(read_capture_switch);  // on NT 4 too: the hardware log shows it
}

}  // namespace

std::int32_t RecordedSubImageCache(std::int32_t kilobytes_read) {
  return kilobytes_read == 0x80000 ? kSubImageCacheDefaultKb : kilobytes_read;
}

void ReadSettingsForSheet(const SettingsContext& context, SettingState* state,
                          const std::function<void()>& read_capture_switch) {
  ReadCatalog(context, &state->current, read_capture_switch);
  // The OpenGL page reads the multitexturing switch when it shows; until
  // then a choice left over from an earlier, cancelled sheet must not reach
  // the driver.
  state->current.multitexturing = kUnchanged;
  state->at_opening = state->current;
}

SettingState ReadAllSettings(const SettingsContext& context) {
  SettingState state;
  ReadSettingsForSheet(context, &state);
  return state;
}

bool ApplyResults::AnyRebootBlockingFailure(PlatformKind platform) const {
  const bool cache_counts = platform == kPlatform9x && !subimage_cache;
  return !agp_mode || !flip_on_vblank || !bus_mastering || !bitmap_caching || !ogl_preset ||
         cache_counts;
}

ApplyResults WriteAllSettings(const SettingsContext& context, const SettingState& state,
                              const ApplyHooks& hooks) {
  const PlatformKind platform = context.platform_kind;
  const SettingValues& values = state.current;
  const ChangedMarkers& changed = state.changed;
  const bool has_d3d_page = platform != kPlatformNt4;
  ApplyResults results;

  Run(hooks.write_tv_frequencies);
  if (platform == kPlatformWin2kXp || platform == kPlatform9x) Run(hooks.write_custom_mode);

  // Each writer's changes are one group: the simulated hive saves once per
  // writer rather than once per value.
  Registry& registry = context.registry;
  if (changed.agp_mode != kUnchanged) {
    RegistryChanges group(registry);
    results.agp_mode = WriteAgpMode(context, values.agp_mode);
  }
  if (has_d3d_page && changed.flip_on_vblank != kUnchanged) {
    RegistryChanges group(registry);
    results.flip_on_vblank = WriteFlipOnVBlank(context, values.flip_on_vblank);
  }
  if (changed.bus_mastering != kUnchanged) {
    RegistryChanges group(registry);
    results.bus_mastering = WriteBusMastering(context, values.bus_mastering);
  }
  if (changed.bitmap_caching != kUnchanged) {
    RegistryChanges group(registry);
    results.bitmap_caching = WriteBitmapCaching(context, values.bitmap_caching);
  }
  if (values.ogl.preset > kOglDriverDefaults) {
    RegistryChanges group(registry);
    results.ogl_preset = WriteOglPreset(context, values.ogl);
  } else if (values.ogl.preset == kOglDriverDefaults) {
    RegistryChanges group(registry);
    ResetOglDefaults(context);
  }
  if (values.subimage_cache_kb != 0) {
    RegistryChanges group(registry);
    results.subimage_cache = WriteSubImageCache(context, values.subimage_cache_kb);
  }
  if (platform == kPlatformWin2kXp || platform == kPlatform9x) Run(hooks.write_capture_switch);
  if (values.multitexturing == 1) {
    RegistryChanges group(registry);
    EnableMultitexturing(context);
  }
  if (values.multitexturing == 0) {
    RegistryChanges group(registry);
    DisableMultitexturing(context);
  }
  return results;
}

}  // namespace tunora
