#include "sheet/misc_page.h"

#include <string>

#include "hwlog/hardware_log.h"
#include "resources/dialogs.h"
#include "resources/strings.h"

namespace tunora {
namespace {

struct RadioChoice {
  int id;
  std::int32_t SettingValues::*value;
  std::int32_t ChangedMarkers::*marker;
  std::int32_t choice;
};
constexpr RadioChoice kChoices[] = {
    {kIdcBusMasteringOff, &SettingValues::bus_mastering, &ChangedMarkers::bus_mastering, 0},
    {kIdcBusMasteringOn, &SettingValues::bus_mastering, &ChangedMarkers::bus_mastering, 1},
    {kIdcBitmapCachingOff, &SettingValues::bitmap_caching, &ChangedMarkers::bitmap_caching, 0},
    {kIdcBitmapCachingOn, &SettingValues::bitmap_caching, &ChangedMarkers::bitmap_caching, 1},
};

// Anything the user chose since the sheet opened that Apply would write: a
// marked choice, or a change to what Apply writes without a marker, the
// TV channels, the capture switch and a custom resolution included. What
// the pages rewrite for display alone (a QX1's stored 4x shown as 2x, the
// sync choice under driver defaults) is written only with its marker, or
// not at all, so it does not count.
bool HasPendingChanges(const RunState& state) {
  const SettingState& settings = state.settings;
  const SettingValues& now = settings.current;
  const SettingValues& then = settings.at_opening;
  const SheetFlags& flags = state.flags;
  const bool preset_changed = now.ogl.preset != then.ogl.preset ||
                              (now.ogl.preset != kOglDriverDefaults && !(now.ogl == then.ogl));
  return settings.changed.AnyPending() || preset_changed ||
         now.subimage_cache_kb != then.subimage_cache_kb ||
         now.multitexturing != then.multitexturing || flags.TvChannelsPending() ||
         flags.CaptureSwitchPending() || flags.CustomResolutionChosen();
}

}  // namespace

std::int32_t ParseCacheSize(std::string_view text) {
  std::int32_t size = 0;
  // The field holds four digits; more (pasted text) cannot overflow.
  for (std::size_t i = 0; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i) {
    size = size * 10 + (text[i] - '0');
  }
  return size;
}

void MiscPage::ShowRadioGroups(DialogWindow& window) {
  const SettingValues& values = app_.state.settings.current;
  for (const RadioChoice& choice : kChoices) {
    window.SetCheck(choice.id, values.*choice.value == choice.choice);
  }
}

void MiscPage::Refresh(DialogWindow& window) {
  ShowRadioGroups(window);
  window.SetText(kIdcSubImageCache, std::to_string(app_.state.settings.current.subimage_cache_kb));
  window.SetTextLimit(kIdcSubImageCache, kCacheSizeDigits);
  buttons_.DisableApplyAndReset();
  // A change made on another page must stay appliable after a visit here.
  if (HasPendingChanges(app_.state)) buttons_.EnableApplyAndReset();
  app_.state.flags.first_fill_pending = false;
}

void MiscPage::OnCommand(DialogWindow& window, int id, int notification) {
  SettingState& settings = app_.state.settings;
  if (id == kIdcSubImageCache && notification == kEnChange) {
    settings.current.subimage_cache_kb = ParseCacheSize(window.GetText(kIdcSubImageCache));
    if (!app_.state.flags.first_fill_pending && settings.current.subimage_cache_kb != 0) {
      buttons_.EnableApplyAndReset();
    }
    return;
  }
  if (notification != kBnClicked) return;
  if (id == kIdcHardwareLog) {
    GenerateHardwareLog({app_.hw, app_.state.flags.tv_capture_at_opening}, app_.state.hardware_log);
    return;
  }
  for (const RadioChoice& choice : kChoices) {
    if (choice.id != id) continue;
    buttons_.EnableApplyAndReset();
    settings.current.*choice.value = choice.choice;
    settings.changed.*choice.marker = 1;
    ShowRadioGroups(window);
  }
}

}  // namespace tunora
