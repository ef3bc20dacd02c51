// The QTV page (CPage8) of the TV-tuner board: the capture application's
// advanced capture switch behind a warning that must be accepted, and the
// channel editor with the tuner's country, each channel's frequency and a
// backup of the channel table through the registry editor. Apply writes
// the frequencies first and the switch after the sub-image cache.
#pragma once

#include <string_view>

#include "sheet/run_state.h"
#include "sheet/settings_page.h"

namespace tunora {

inline constexpr std::string_view kTvBackupParameters =
    " /e c:\\backup.reg "
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillex\\Chromalink\\0\\TVTFreq\\CurrentFreq";
inline constexpr std::string_view kTvBackupDone = "File c:\\backup.reg created on drive c:";
inline constexpr std::string_view kTvBackupNotStarted =
    "Unable to start the Registry Editor: c:\\backup.reg was not created.";
inline constexpr std::string_view kNoChannelText = "NONE";
inline constexpr int kFrequencyDigits = 12;

class QtvPage : public SettingsPage {
 public:
  // A new sheet reads the channel table again when the page first shows.
  QtvPage(App& app, ApplyResetButtons& buttons);
  std::string_view RuntimeClass() const override { return "CPage8"; }
  void OnCommand(DialogWindow& window, int id, int notification) override;
  void Refresh(DialogWindow& window) override;

 private:
  void AdvancedClicked(DialogWindow& window);
  void ChannelSelected(DialogWindow& window);
  void FrequencyEdited(DialogWindow& window);
  void Backup();

  bool first_refresh_ = true;
};

// The warning before the advanced capture mode changes: "I Agree" (IDOK)
// or "I Disagree" (IDCANCEL, also Escape and the close box).
class QtvWarning : public DialogHandler {
 public:
  void OnCommand(DialogWindow& window, int id, int notification) override;
};

// The capture switch reader the sheet's opening runs after the settings
// (98/ME and 2000/XP): the stored mode becomes the value at opening, and
// the pending mode starts from it unless the user already chose one.
void ReadCaptureSwitchForSheet(App& app);

// Apply's two QTV writers, each one change group under its own condition:
// the frequencies when one was edited, the switch when the pending mode
// differs from the one read at opening.
void ApplyTvFrequencies(App& app, Registry& registry);
void ApplyCaptureSwitch(App& app, Registry& registry);

}  // namespace tunora
