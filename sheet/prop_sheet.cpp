#include "sheet/prop_sheet.h"

#include <optional>
#include <string>

#include "hwaccess/scans.h"
#include "resources/dialogs.h"
#include "resources/embedded.h"
#include "resources/strings.h"
#include "sheet/apply_undo.h"
#include "sheet/custom_mode.h"

namespace tunora {
namespace {

// Pixels from the client area's right and bottom edges.
constexpr SheetButton kSheetButtons[] = {
    {kIdcSheetApply, "Apply", 325, 33, 250, 10},
    {kIdcSheetCancel, "Cancel", 245, 33, 170, 10, true},
    {kIdcSheetResetAll, "Reset All", 165, 33, 90, 10},
    {kIdcSheetHelp, "Help", 85, 33, 10, 10},
};

struct Tone {
  std::uint32_t frequency;
  std::uint32_t duration_ms;
};
constexpr Tone kFailureTones[] = {{10000, 600}, {13000, 700}, {15000, 1000}};

}  // namespace

PropSheet::PropSheet(App& app, PropSheetOptions options)
    : app_(app),
      options_(options),
      agp_(app, *this),
      d3d_(app, *this),
      opengl_(app, *this),
      audio_(app),
      monitor_(app, *this),
      clock_(app),
      qtv_(app, *this),
      misc_(app, *this) {
  RunState& state = app_.state;
  state.flags.SheetOpened();
  state.card_list = CountBoards(app_.hw);
  kinds_ = SheetPagesFor(state.platform_kind, state.chip_family, state.card.card_code,
                         state.card_list.size());
}

SheetPage PropSheet::PageFor(SheetPageKind kind) {
  switch (kind) {
    case SheetPageKind::kSplash:
      return {&SplashPageDialog(), &splash_};
    case SheetPageKind::kAgp:
      return {&AgpPageDialog(), &agp_};
    case SheetPageKind::kD3d:
      return {&D3dPageDialog(), &d3d_};
    case SheetPageKind::kOpenGl:
      return {&OpenGlPageDialog(), &opengl_};
    case SheetPageKind::kMonitorProfile:
      return {&MonitorPageDialog(), &monitor_};
    case SheetPageKind::kClockTweak:
      return {&ClockPageDialog(), &clock_};
    case SheetPageKind::kQtv:
      return {&QtvPageDialog(), &qtv_};
    case SheetPageKind::kMiscellaneous:
      return {&MiscPageDialog(), &misc_};
  }
  return {&SplashPageDialog(), &splash_};
}

int PropSheet::Run() {
  SheetTemplate sheet{kSheetCaption, {}, 0};
  for (const SheetPageKind kind : kinds_) {
    sheet.pages.push_back(PageFor(kind));
    if (kind == SheetPageKind::kOpenGl && options_.show_audio_page) {
      sheet.pages.push_back({&AudioPageDialog(), &audio_});
    }
  }
  const int result = app_.platform.ui.PropertySheet(sheet, *this);
  sheet_ = nullptr;
  app_.state.flags.SheetClosed();
  return result;
}

void PropSheet::OnInit(SheetWindow& sheet) {
  sheet_ = &sheet;
  for (const SheetButton& button : kSheetButtons) sheet.AddButton(button);
  sheet.Show(kIdSheetHelp, false);
  DisableApplyAndReset();
  sheet.SetText(kIdSheetOk, "Main Menu");
  sheet.Show(kIdSheetOk, false);
  sheet.Show(kIdSheetApplyNow, false);
  sheet.SetText(kIdSheetCancel, "Apply");
  sheet.Show(kIdSheetCancel, false);
  if (app_.state.settings.changed.AnyPending()) sheet.Enable(kIdcSheetApply, true);
}

void PropSheet::OnCommand(SheetWindow& sheet, int id, int notification) {
  if (notification != kBnClicked) return;
  switch (id) {
    case kIdcSheetApply:
      Apply();
      break;
    case kIdcSheetCancel:
    case kIdSheetApplyNow:
      sheet.EndDialog(0);
      break;
    case kIdcSheetResetAll:
      ResetAll(sheet);
      break;
    case kIdcSheetHelp:
      Help();
      break;
    default:
      break;
  }
}

void PropSheet::EnableApplyAndReset() {
  if (!sheet_) return;
  sheet_->Enable(kIdcSheetApply, true);
  sheet_->Enable(kIdcSheetResetAll, true);
}

void PropSheet::DisableApplyAndReset() {
  if (!sheet_) return;
  sheet_->Enable(kIdcSheetApply, false);
  sheet_->Enable(kIdcSheetResetAll, false);
}

void PropSheet::ResetAll(SheetWindow& sheet) {
  SettingState& settings = app_.state.settings;
  settings.current = settings.at_opening;
  app_.state.flags.ResetAll();
  // Leaving and re-entering the page rebuilds it from the restored values.
  const int active = sheet.ActivePageIndex();
  sheet.SetActivePage(0);
  sheet.SetActivePage(active);
}

void PropSheet::Help() {
  // Failures of the write and of the shell are not reported.
  Platform& platform = app_.platform;
  const std::string path = platform.files.WindowsDirectory() + std::string(kHelpFileName);
  if (const std::optional<std::string_view> help = TunoraResource(kResHelp)) {
    platform.files.WriteFile(path, *help);
  }
  platform.system.ShellOpen(path, "");
}

void PropSheet::FailReboot(std::string_view message) {
  for (const Tone& tone : kFailureTones)
    app_.platform.system.Beep(tone.frequency, tone.duration_ms);
  app_.platform.ui.MessageBox(message, kProgramName, kMbOk);
  EndProcess(1);
}

void PropSheet::Apply() {
  RebootPrompt prompt;
  const int answer = app_.platform.ui.DialogBox(RebootPromptDialog(), prompt);
  // What Apply is about to change is saved first. A file that cannot be
  // written does not stop Apply: the user asked for the changes.
  (void)WriteApplyUndoFile(app_);
  const ApplyResults results = WritePendingChanges(app_);
  if (answer != kIdcRebootNow) EndProcess(1);

  System& system = app_.platform.system;
  const PlatformKind platform = app_.state.platform_kind;
  if (platform != kPlatform9x && platform != kPlatformNt4 && platform != kPlatformWin2kXp) {
    FailReboot(kUnknownPlatform);
  }
  if (results.AnyRebootBlockingFailure(platform)) FailReboot(kRebootAborted);
  if (IsNtRoad(platform) && !system.EnableShutdownPrivilege()) FailReboot(kUnableToReboot);
  // A refused restart is a failure too, not a silent exit.
  if (!system.ExitWindows(kEwxReboot)) FailReboot(kUnableToReboot);
  EndProcess(0);
}

void RebootPrompt::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  if (id == kIdcRebootNow || id == kIdcRebootLater) window.EndDialog(id);
}

ApplyResults WritePendingChanges(App& app, Registry& registry, Ui& ui) {
  const SettingsContext context = app.state.Settings(registry, ui);
  ApplyHooks hooks;
  hooks.write_tv_frequencies = [&] { ApplyTvFrequencies(app, registry); };
  hooks.write_custom_mode = [&] { WriteCustomMode(app, registry); };
  hooks.write_capture_switch = [&] { ApplyCaptureSwitch(app, registry); };
  return WriteAllSettings(context, app.state.settings, hooks);
}

ApplyResults WritePendingChanges(App& app) {
  return WritePendingChanges(app, app.platform.registry, app.platform.ui);
}

}  // namespace tunora
