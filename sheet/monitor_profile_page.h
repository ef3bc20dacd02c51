// The Monitor Profile page (CPage6): a custom resolution picked from two
// generated lists, with the aspect class of the pair. Apply writes it
// (custom_mode.h).
#pragma once

#include <string_view>

#include "sheet/settings_page.h"

namespace tunora {

inline constexpr std::string_view kNoResolutionChosen = "  -- NONE --";
inline constexpr std::string_view kAspectRatioUnavailable = "Aspect Ratio Unavailable";

class MonitorProfilePage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  std::string_view RuntimeClass() const override { return "CPage6"; }
  void OnInit(DialogWindow& window) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window) override;

 private:
  void ShowAspectClass(DialogWindow& window);
};

}  // namespace tunora
