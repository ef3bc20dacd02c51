// The D3D page (CPage3): Direct3D vertical sync forced off or on.
#pragma once

#include "sheet/settings_page.h"

namespace tunora {

class D3dPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  std::string_view RuntimeClass() const override { return "CPage3"; }
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window) override;
};

}  // namespace tunora
