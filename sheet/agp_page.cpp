#include "sheet/agp_page.h"

#include <array>

#include "resources/dialogs.h"
#include "resources/strings.h"

namespace tunora {
namespace {

struct AgpButton {
  int id;
  std::int32_t mode;
};
constexpr std::array<AgpButton, 4> kButtons{{
    {kIdcAgpDefault, kAgpDefault},
    {kIdcAgp1x, kAgp1x},
    {kIdcAgp2x, kAgp2x},
    {kIdcAgp4x, kAgp4x},
}};

void CheckOnly(DialogWindow& window, int checked_id) {
  for (const AgpButton& button : kButtons) window.SetCheck(button.id, button.id == checked_id);
}

}  // namespace

void AgpPage::Refresh(DialogWindow& window) {
  const AgpStatus& agp = app_.state.agp;
  SettingValues& values = app_.state.settings.current;
  const AgpStatusTexts texts = DescribeAgpStatus(agp);
  window.SetText(kIdcAgpVersion, texts.version);
  window.SetText(kIdcAgpChipsetMax, texts.max_chipset_speed);
  window.SetText(kIdcAgpChipsetNow, texts.chipset_speed);
  window.SetText(kIdcAgpCardNow, texts.card_speed);
  window.SetText(kIdcAgpSideBand, texts.side_band);
  // A QX1 board cannot run 4x once the chipset speaks AGP at all.
  if (agp.version > 0 && app_.state.chip_family == kFamilyQx1Agp && values.agp_mode == kAgp4x) {
    values.agp_mode = kAgp2x;
  }

  if (agp.override_flag == 1 && !app_.state.flags.agp_override_shown) {
    app_.platform.ui.MessageBox("AGP 4x override bit enabled.\nAGP running at 2x Mode",
                                kProgramName, kMbOk);
    app_.state.flags.agp_override_shown = true;
  }

  window.Show(kIdcAgp4x, !(app_.state.chip_family == kFamilyQx1Agp || agp.version == 1));
  window.Enable(kIdcAgp4x, agp.chipset_rate != 2);

  if (app_.state.settings.changed.agp_mode != kUnchanged && values.agp_mode == kUnchanged) return;
  CheckOnly(window, kNoControlId);
  for (const AgpButton& button : kButtons) {
    if (button.mode == values.agp_mode) window.SetCheck(button.id, true);
  }
}

void AgpPage::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  for (const AgpButton& button : kButtons) {
    if (button.id != id) continue;
    CheckOnly(window, id);
    app_.state.settings.current.agp_mode = button.mode;
    app_.state.settings.changed.agp_mode = 1;
    buttons_.EnableApplyAndReset();
  }
}

}  // namespace tunora
