// The AGP page (CPage2): force the AGP transfer mode or leave it to the
// driver, and the AGP status read at start-up.
#pragma once

#include "sheet/settings_page.h"

namespace tunora {

class AgpPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  std::string_view RuntimeClass() const override { return "CPage2"; }
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window) override;
};

}  // namespace tunora
