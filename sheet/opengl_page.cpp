#include "sheet/opengl_page.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "resources/dialogs.h"

namespace tunora {
namespace {

constexpr int kSyncButtons[] = {kIdcOglBlockTransfers, kIdcOglPageFlipping, kIdcOglAlwaysOff,
                                kIdcOglAlwaysOn,       kIdcOglAppDecides,   kIdcOglOffByDefault,
                                kIdcOglOnByDefault};
// The five below page flipping.
constexpr int kModeButtons[] = {kIdcOglAlwaysOff, kIdcOglAlwaysOn, kIdcOglAppDecides,
                                kIdcOglOffByDefault, kIdcOglOnByDefault};
constexpr int kPresetButtons[] = {kIdcOglDefaults, kIdcOglSpeed, kIdcOglAccuracy, kIdcOglCustom};

// Arrays and braced lists of ids alike.
template <std::size_t N>
void CheckAll(DialogWindow& window, const int (&ids)[N], bool checked) {
  for (const int id : ids) window.SetCheck(id, checked);
}
template <std::size_t N>
void EnableAll(DialogWindow& window, const int (&ids)[N], bool enabled) {
  for (const int id : ids) window.Enable(id, enabled);
}

void CheckPresetOnly(DialogWindow& window, int id) {
  for (const int preset : kPresetButtons) window.SetCheck(preset, preset == id);
}

int PresetButton(std::int32_t preset) {
  switch (preset) {
    case kOglDriverDefaults:
      return kIdcOglDefaults;
    case kOglSpeed:
      return kIdcOglSpeed;
    case kOglAccuracy:
      return kIdcOglAccuracy;
    case kOglCustom:
      return kIdcOglCustom;
    default:
      return kNoControlId;
  }
}

// Page flipping checked, the rest of the custom state shown: the handlers
// of the sync buttons end this way.
void ShowPageFlippingUnderCustom(DialogWindow& window) {
  window.SetCheck(kIdcOglBlockTransfers, false);
  window.SetCheck(kIdcOglPageFlipping, true);
  CheckPresetOnly(window, kIdcOglCustom);
}

}  // namespace

std::string_view OglStatusText(std::int32_t preset) {
  switch (preset) {
    case kOglDriverDefaults:
      return "Default Driver Settings";
    case kOglSpeed:
      return "GL Optimized for Speed";
    case kOglAccuracy:
      return "GL Optimized for Accuracy";
    case kOglCustom:
      return "Custom VSync Settings";
    default:
      return "";
  }
}

void OpenGlPage::ShowStatus(DialogWindow& window, std::int32_t preset) {
  status_ = std::string(OglStatusText(preset));
  window.SetText(kIdcOglStatus, status_);
}

void OpenGlPage::ShowCustom(DialogWindow& window) {
  const OglPresetChoice& ogl = app_.state.settings.current.ogl;
  if (ogl.preset != kOglCustom) return;
  if (ogl.page_flipping != 1) {
    window.SetCheck(kIdcOglBlockTransfers, true);
    CheckAll(window, kModeButtons, false);
    window.SetCheck(kIdcOglPageFlipping, false);
    EnableAll(window, {kIdcOglBlockTransfers, kIdcOglPageFlipping}, true);
    EnableAll(window, kModeButtons, false);
    return;
  }
  window.SetCheck(kIdcOglBlockTransfers, false);
  window.SetCheck(kIdcOglPageFlipping, true);
  if (ogl.vsync_mode == kVsyncApplicationDecides) {
    CheckAll(window, {kIdcOglAlwaysOff, kIdcOglAlwaysOn}, false);
    window.SetCheck(kIdcOglAppDecides, true);
    window.SetCheck(kIdcOglOffByDefault, ogl.app_default == 0);
    window.SetCheck(kIdcOglOnByDefault, ogl.app_default == 1);
    EnableAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, true);
  } else if (ogl.vsync_mode == kVsyncAlwaysOff || ogl.vsync_mode == kVsyncAlwaysOn) {
    window.SetCheck(kIdcOglAlwaysOff, ogl.vsync_mode == kVsyncAlwaysOff);
    window.SetCheck(kIdcOglAlwaysOn, ogl.vsync_mode == kVsyncAlwaysOn);
    CheckAll(window, {kIdcOglAppDecides, kIdcOglOffByDefault, kIdcOglOnByDefault}, false);
    EnableAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, false);
  }
}

void OpenGlPage::Refresh(DialogWindow& window) {
  SettingValues& values = app_.state.settings.current;
  // The switch is read from the driver the first time the page shows in
  // this sheet; after that the user's choice stands.
  if (values.multitexturing == kUnchanged) {
    values.multitexturing =
        ReadMultitexturing(app_.state.Settings(app_.platform.registry, app_.platform.ui));
    // What was read is what Reset All comes back to.
    app_.state.settings.at_opening.multitexturing = values.multitexturing;
  }
  window.SetCheck(kIdcOglMultitexturing, values.multitexturing == 1);

  OglPresetChoice& ogl = values.ogl;
  if (ogl.preset == kOglDriverDefaults) {
    if (ogl.page_flipping == 0) ogl.vsync_mode = ogl.app_default = kUnchanged;
    ShowStatus(window, ogl.preset);
    CheckAll(window, kSyncButtons, false);
    CheckPresetOnly(window, kIdcOglDefaults);
    EnableAll(window, kSyncButtons, false);
  } else {
    CheckPresetOnly(window, PresetButton(ogl.preset));
    ShowStatus(window, ogl.preset);
    CheckAll(window, kSyncButtons, false);
    EnableAll(window, kSyncButtons, ogl.preset == kOglCustom);
  }
  ShowCustom(window);
}

void OpenGlPage::OnPreset(DialogWindow& window, int id) {
  OglPresetChoice& ogl = app_.state.settings.current.ogl;
  switch (id) {
    case kIdcOglDefaults:
      ogl.preset = kOglDriverDefaults;
      EnableAll(window, kSyncButtons, false);
      break;
    case kIdcOglSpeed:
    case kIdcOglAccuracy:
      // The pages hand these presets over with the choices the driver's
      // own presets use.
      ogl = {id == kIdcOglSpeed ? kOglSpeed : kOglAccuracy, 1, kVsyncApplicationDecides, 0};
      CheckAll(window, kSyncButtons, false);
      EnableAll(window, kSyncButtons, false);
      break;
    case kIdcOglCustom:
      ogl.preset = kOglCustom;
      if (ogl.page_flipping != 1) ogl.vsync_mode = ogl.app_default = kUnchanged;
      EnableAll(window, kSyncButtons, true);
      break;
  }
  ShowStatus(window, ogl.preset);
  CheckPresetOnly(window, id);
  if (id == kIdcOglCustom) ShowCustom(window);
}

void OpenGlPage::OnSync(DialogWindow& window, int id) {
  OglPresetChoice& ogl = app_.state.settings.current.ogl;
  app_.state.settings.changed.ogl = 1;
  switch (id) {
    case kIdcOglBlockTransfers:
      ogl.page_flipping = 0;
      ogl.vsync_mode = ogl.app_default = kUnchanged;
      window.SetCheck(kIdcOglBlockTransfers, true);
      window.SetCheck(kIdcOglPageFlipping, false);
      CheckAll(window, kModeButtons, false);
      EnableAll(window, kModeButtons, false);
      CheckPresetOnly(window, kIdcOglCustom);
      return;
    case kIdcOglPageFlipping:
      ogl.page_flipping = 1;
      if (ogl.vsync_mode == kUnchanged) ogl.vsync_mode = kVsyncAlwaysOff;
      window.SetCheck(kIdcOglAlwaysOff, ogl.vsync_mode == kVsyncAlwaysOff);
      window.SetCheck(kIdcOglAlwaysOn, ogl.vsync_mode == kVsyncAlwaysOn);
      window.SetCheck(kIdcOglAppDecides, ogl.vsync_mode == kVsyncApplicationDecides);
      if (ogl.app_default == 0) window.SetCheck(kIdcOglOffByDefault, true);
      if (ogl.app_default == 1) window.SetCheck(kIdcOglOnByDefault, true);
      EnableAll(window, {kIdcOglAlwaysOff, kIdcOglAlwaysOn, kIdcOglAppDecides}, true);
      if (ogl.app_default == 0) window.Enable(kIdcOglOffByDefault, true);
      if (ogl.app_default == 1) window.Enable(kIdcOglOnByDefault, true);
      break;
    case kIdcOglAlwaysOff:
    case kIdcOglAlwaysOn:
      ogl.vsync_mode = id == kIdcOglAlwaysOff ? kVsyncAlwaysOff : kVsyncAlwaysOn;
      ogl.app_default = kUnchanged;
      window.SetCheck(id, true);
      CheckAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, false);
      EnableAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, false);
      break;
    case kIdcOglAppDecides:
      ogl.vsync_mode = kVsyncApplicationDecides;
      if (ogl.app_default == kUnchanged) ogl.app_default = 0;
      window.SetCheck(kIdcOglAppDecides, true);
      window.SetCheck(ogl.app_default == 0 ? kIdcOglOffByDefault : kIdcOglOnByDefault, true);
      EnableAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, true);
      break;
    case kIdcOglOffByDefault:
    case kIdcOglOnByDefault:
      ogl.app_default = id == kIdcOglOffByDefault ? 0 : 1;
      EnableAll(window, {kIdcOglOffByDefault, kIdcOglOnByDefault}, true);
      if (ogl.vsync_mode == kVsyncApplicationDecides) {
        window.SetCheck(kIdcOglAppDecides, true);
        window.SetCheck(kIdcOglOffByDefault, ogl.app_default == 0);
        window.SetCheck(kIdcOglOnByDefault, ogl.app_default == 1);
      }
      break;
  }
  ShowPageFlippingUnderCustom(window);
}

void OpenGlPage::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  const bool preset = std::find(std::begin(kPresetButtons), std::end(kPresetButtons), id) !=
                      std::end(kPresetButtons);
  const bool sync =
      std::find(std::begin(kSyncButtons), std::end(kSyncButtons), id) != std::end(kSyncButtons);
  if (!preset && !sync && id != kIdcOglMultitexturing) return;
  buttons_.EnableApplyAndReset();
  if (preset) {
    OnPreset(window, id);
  } else if (sync) {
    OnSync(window, id);
  } else {
    app_.state.settings.current.multitexturing = window.IsChecked(kIdcOglMultitexturing) ? 1 : 0;
  }
}

}  // namespace tunora
