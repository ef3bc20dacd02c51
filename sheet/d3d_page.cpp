#include "sheet/d3d_page.h"

#include "resources/dialogs.h"

namespace tunora {

void D3dPage::Refresh(DialogWindow& window) {
  const std::int32_t value = app_.state.settings.current.flip_on_vblank;
  window.SetCheck(kIdcD3dVsyncOff, false);
  window.SetCheck(kIdcD3dVsyncOn, false);
  if (app_.state.settings.changed.flip_on_vblank != kUnchanged && value == kUnchanged) return;
  if (value == 0) window.SetCheck(kIdcD3dVsyncOff, true);
  if (value == 1) window.SetCheck(kIdcD3dVsyncOn, true);
}

void D3dPage::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked || (id != kIdcD3dVsyncOff && id != kIdcD3dVsyncOn)) return;
  buttons_.EnableApplyAndReset();
  app_.state.settings.current.flip_on_vblank = id == kIdcD3dVsyncOn ? 1 : 0;
  app_.state.settings.changed.flip_on_vblank = 1;
  window.SetCheck(kIdcD3dVsyncOff, id == kIdcD3dVsyncOff);
  window.SetCheck(kIdcD3dVsyncOn, id == kIdcD3dVsyncOn);
}

}  // namespace tunora
