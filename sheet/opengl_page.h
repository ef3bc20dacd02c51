// The OpenGL page (CPage4): the optimisation preset, and under the custom
// preset page flipping and the vertical-sync mode; the advanced
// multitexturing switch.
#pragma once

#include <string>

#include "sheet/settings_page.h"

namespace tunora {

class OpenGlPage : public SettingsPage {
 public:
  using SettingsPage::SettingsPage;
  std::string_view RuntimeClass() const override { return "CPage4"; }
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window) override;

 private:
  void ShowStatus(DialogWindow& window, std::int32_t preset);
  // Refresh steps for the custom preset: page flipping and the sync mode.
  void ShowCustom(DialogWindow& window);
  void OnPreset(DialogWindow& window, int id);
  void OnSync(DialogWindow& window, int id);

  std::string status_;  // field 1041's text
};

// The status text of each preset ("" for none).
std::string_view OglStatusText(std::int32_t preset);

}  // namespace tunora
