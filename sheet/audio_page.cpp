#include "sheet/audio_page.h"

#include "resources/dialogs.h"
#include "sheet/test_tone.h"

namespace tunora {
namespace {

// Entry 0 is "-- None --"; entry i is the base value 100 x i.
constexpr int kHertzPerEntry = 100;

void ShowSelection(DialogWindow& window, int selection) {
  window.Enable(kIdcAudioPlay, selection != 0);
}

}  // namespace

void PlayTestTone(Platform& platform, int frequency) {
  platform.files.WriteFile(kToneFilePath, ToneWaveFile(frequency));
  platform.system.PlaySoundFile(kToneFilePath);
  platform.files.DeleteFile(kToneFilePath);
}

void AudioPage::OnNotify(DialogWindow& window, int code) {
  if (code != kPsnSetActive) return;
  const int selection = app_.state.flags.audio_selection;
  window.ComboSetSelection(kIdcAudioTone, selection);
  ShowSelection(window, selection);
}

void AudioPage::OnCommand(DialogWindow& window, int id, int notification) {
  int& selection = app_.state.flags.audio_selection;
  if (id == kIdcAudioTone && notification == kCbnSelChange) {
    selection = window.ComboSelection(kIdcAudioTone);
    ShowSelection(window, selection);
  } else if (id == kIdcAudioPlay && notification == kBnClicked && selection > 0) {
    // The tone plays synchronously: the sheet waits the ten seconds.
    WaitCursor wait(app_.platform.ui);
    PlayTestTone(app_.platform, kHertzPerEntry * selection);
  }
}

}  // namespace tunora
