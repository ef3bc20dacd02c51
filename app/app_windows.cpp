#include "app/app_windows.h"

#include "hwaccess/board_tables.h"
#include "resources/dialogs.h"
#include "resources/strings.h"
#include "sheet/prop_sheet.h"

namespace tunora {
namespace {

constexpr int kIconProgram = 128;

}  // namespace

void MainWindow::OnInit(DialogWindow& window) {
  window.SetText(kIdcPlatform, platform_text_);
  window.Enable(kIdcTweak, false);
  app_.state.flags.MainWindowShown();
  if (!kAboutMenuText.empty()) window.AppendSystemMenu(kIdmAboutBox, kAboutMenuText);
  window.SetIcon(kIconProgram);
  // Nothing is pending when a main window comes up.
  app_.state.settings.changed = ChangedMarkers{};

  // Unlisted codes name themselves "Unknown Card" and leave the family.
  const CardName card = NameCard(app_.state.card.card_code);
  window.SetText(kIdcCardName, card.name);
  if (card.family != kFamilyUnknown) app_.state.chip_family = card.family;

  window.Enable(kIdcTweak, true);
  window.SetDefaultButton(kIdcTweak);
  window.SetFocus(kIdcTweak);
}

void MainWindow::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  if (id == kIdcExit) EndProcess(0);
  if (id == kIdcTweak) {
    RunTweak(app_);
    // The sheet closed: a fresh main window takes over.
    window.EndDialog(0);
  }
}

void RunTweak(App& app) {
  RunState& state = app.state;
  ReadSettingsForSheet(state.Settings(app.platform.registry, app.platform.ui), &state.settings,
                       [&app] { ReadCaptureSwitchForSheet(app); });
  PropSheet sheet(app);
  sheet.Run();
}

void MainWindow::OnSysCommand(DialogWindow& window, std::uint32_t command) {
  (void)window;
  if ((command & 0xFFF0) == kIdmAboutBox) {
    AboutBox about;
    app_.platform.ui.DialogBox(AboutDialog(), about);
  }
}

void AboutBox::OnCommand(DialogWindow& window, int id, int notification) {
  if (id == kIdOk && notification == kBnClicked) window.EndDialog(kIdOk);
}

void NoCardWindow::OnCommand(DialogWindow& window, int id, int notification) {
  (void)window;
  if (id == kIdcNoCardCancel && notification == kBnClicked) EndProcess(0);
}

int ShowMainWindow(App& app) {
  MainWindow main_window(app, app.state.platform_name);
  return app.platform.ui.DialogBox(MainDialog(), main_window);
}

}  // namespace tunora
