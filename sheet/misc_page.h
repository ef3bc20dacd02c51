// The Miscellaneous page (CPage99): bus mastering and device-bitmap caching
// forced off or on, the OpenGL sub-image cache size, and the hardware log.
#pragma once

#include <string_view>

#include "sheet/settings_page.h"

namespace tunora {

class MiscPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  std::string_view RuntimeClass() const override { return "CPage99"; }
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window) override;

 private:
  void ShowRadioGroups(DialogWindow& window);
};

// The field's leading decimal digits as kilobytes; 0 for none.
std::int32_t ParseCacheSize(std::string_view text);

inline constexpr int kCacheSizeDigits = 4;

}  // namespace tunora
