#include "sheet/qtv_page.h"

#include "resources/dialogs.h"
#include "resources/strings.h"
#include "sheet/tv_tuner.h"

namespace tunora {

QtvPage::QtvPage(App& app, ApplyResetButtons& buttons) : SettingsPage(app, buttons) {}

void QtvPage::Refresh(DialogWindow& window) {
  SheetFlags& flags = app_.state.flags;
  // The box shows what Apply will store: the pending mode, which starts
  // from the stored one.
  window.SetCheck(kIdcQtvAdvanced, flags.tv_capture_pending != 0);
  const bool first = first_refresh_;
  first_refresh_ = false;
  if (first) flags.tv_channels = ReadTvChannelTable(app_.platform.registry);
  window.SetText(kIdcQtvCountry, flags.tv_channels.country);
  // Without the channel key there is nothing to export.
  window.Enable(kIdcQtvBackup, flags.tv_channels.available);
  if (!flags.tv_channels.available) return;
  window.Enable(kIdcQtvChannel, true);
  window.Enable(kIdcQtvFrequency, true);
  if (!first) return;
  // The list is filled once per sheet, so a selection survives a visit
  // to another page. Neither text below changes a channel: no channel is
  // selected yet.
  window.ComboReset(kIdcQtvChannel);
  for (const TvChannel& channel : flags.tv_channels.channels) {
    window.ComboAdd(kIdcQtvChannel, channel.DisplayName());
  }
  window.SetText(kIdcQtvChannel, kNoChannelText);
  window.SetText(kIdcQtvFrequency, "0");
  window.SetTextLimit(kIdcQtvFrequency, kFrequencyDigits);
}

void QtvPage::OnCommand(DialogWindow& window, int id, int notification) {
  if (id == kIdcQtvChannel && notification == kCbnSelChange) {
    ChannelSelected(window);
  } else if (id == kIdcQtvFrequency && notification == kEnChange) {
    FrequencyEdited(window);
  } else if (id == kIdcQtvAdvanced && notification == kBnClicked) {
    AdvancedClicked(window);
  } else if (id == kIdcQtvBackup && notification == kBnClicked) {
    Backup();
  }
}

void QtvPage::AdvancedClicked(DialogWindow& window) {
  // The box has toggled already.
  const bool ticked = window.IsChecked(kIdcQtvAdvanced);
  SheetFlags& flags = app_.state.flags;
  QtvWarning warning;
  if (app_.platform.ui.DialogBox(QtvWarningDialog(), warning) == kIdcQtvAgree) {
    flags.tv_capture_pending = ticked ? 1 : 0;
    flags.tv_capture_chosen = true;
    buttons_.EnableApplyAndReset();
    return;
  }
  // Declined: the box goes back to what Apply would store.
  window.SetCheck(kIdcQtvAdvanced, flags.tv_capture_pending != 0);
}

void QtvPage::ChannelSelected(DialogWindow& window) {
  const int selection = window.ComboSelection(kIdcQtvChannel);
  const std::vector<TvChannel>& channels = app_.state.flags.tv_channels.channels;
  if (selection < 0 || static_cast<std::size_t>(selection) >= channels.size()) return;
  const TvChannel& channel = channels[static_cast<std::size_t>(selection)];
  window.SetText(kIdcQtvChannel, channel.DisplayName());
  // Windows reports this as an edit of the box; it equals the pending
  // frequency, so nothing is marked changed.
  window.SetText(kIdcQtvFrequency, channel.PendingText());
}

void QtvPage::FrequencyEdited(DialogWindow& window) {
  const int selection = window.ComboSelection(kIdcQtvChannel);
  SheetFlags& flags = app_.state.flags;
  std::vector<TvChannel>& channels = flags.tv_channels.channels;
  if (selection < 0 || static_cast<std::size_t>(selection) >= channels.size()) return;
  TvChannel& channel = channels[static_cast<std::size_t>(selection)];
  const std::int32_t frequency = ParseFrequencyText(window.GetText(kIdcQtvFrequency));
  if (frequency == channel.pending) return;
  channel.pending = frequency;
  flags.tv_channels_changed = 1;
  buttons_.EnableApplyAndReset();
}

void QtvPage::Backup() {
  // The button is disabled then, but a command may still arrive.
  if (!app_.state.flags.tv_channels.available) return;
  // Not waited for: the message comes at once. A start that failed says
  // so, since an older c:\backup.reg could be taken for this export.
  const bool started = app_.platform.system.ShellStartHidden("regedit", kTvBackupParameters);
  app_.platform.ui.MessageBox(started ? kTvBackupDone : kTvBackupNotStarted, kProgramName, kMbOk);
}

void QtvWarning::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  if (id == kIdcQtvAgree || id == kIdcQtvDisagree) window.EndDialog(id);
}

void ReadCaptureSwitchForSheet(App& app) {
  SheetFlags& flags = app.state.flags;
  flags.tv_capture_at_opening = ReadCaptureMode(app.platform.registry);
  if (!flags.tv_capture_chosen) flags.tv_capture_pending = flags.tv_capture_at_opening;
}

void ApplyTvFrequencies(App& app, Registry& registry) {
  if (!app.state.flags.TvChannelsPending()) return;
  RegistryChanges group(registry);
  WriteTvFrequencies(registry, app.state.flags.tv_channels);
}

void ApplyCaptureSwitch(App& app, Registry& registry) {
  const SheetFlags& flags = app.state.flags;
  if (!flags.CaptureSwitchPending()) return;
  RegistryChanges group(registry);
  WriteCaptureMode(registry, flags.tv_capture_pending);
}

}  // namespace tunora
