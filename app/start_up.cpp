// tunora's start-up: which Windows this is, whether we may run, which card
// is in the machine, then the main window.
#include "app/start_up.h"

#include "app/app_windows.h"
#include "app/driver_version.h"
#include "app/platform_gate.h"
#include "hwaccess/scans.h"
#include "resources/dialogs.h"
#include "resources/strings.h"
#include "sheet/run_state.h"

namespace tunora {
namespace {

constexpr std::string_view kTcpipKey = "SYSTEM\\CurrentControlSet\\Services\\Tcpip";

void ClassifyOrRefuse(App& app) {
  const PlatformClass platform = ClassifyPlatform(app.platform.system.GetVersion());
  switch (platform.verdict) {
    case PlatformVerdict::kWindows95:
      app.platform.ui.MessageBox("This platform is NOT supported!", kProgramName, kMbOk);
      EndProcess(1);
    case PlatformVerdict::kUnrecognised:
      app.platform.ui.MessageBox("This platfrom is not supported!", "TUNORA_UTIL ERROR!!!", kMbOk);
      EndProcess(0);
    case PlatformVerdict::kSupported:
      break;
  }
  app.state.platform_kind = platform.kind;
  app.hw.road = RoadOf(platform.kind);
  app.state.platform_name = platform.name;
}

// Administrators may write below the services key; nobody else may.
void RequireAdministrator(App& app) {
  RegKey key = 0;
  if (app.platform.registry.OpenKey(kHkeyLocalMachine, kTcpipKey, kKeyCreateSubKey | kKeySetValue,
                                    &key) != kErrorSuccess) {
    app.platform.ui.MessageBox(
        "WARNING!!! You do NOT have administrator priviliges on this machine.\n\nClick OK to Exit!",
        kProgramName, kMbOk);
    EndProcess(0);
  }
  app.platform.registry.CloseKey(key);
}

void RefuseSafeMode(App& app) {
  if (app.platform.system.GetSystemMetrics(kSmCleanBoot) != 0) {
    app.platform.ui.MessageBox("This utility cannot be used in Windows SafeMode!", kProgramName,
                               kMbOk);
    EndProcess(0);
  }
}

void FindCard(App& app) {
  RunState& state = app.state;
  ScanForCard(app.hw, state.card, state.agp);  // sets state.card.card_code
  const AgpSlotResult slot = FindAgpSlotDevice(app.hw);
  if (slot.found) state.agp_slot_device = slot.device;
}

}  // namespace

void IdentifyMachine(App& app) {
  ClassifyOrRefuse(app);
  const bool nt_road = app.hw.OnNtRoad();
  if (nt_road) {
    RequireAdministrator(app);
    RefuseSafeMode(app);
  }
  FindCard(app);
  if (app.state.card.card_code == kNoCard) {
    NoCardWindow no_card;
    app.platform.ui.DialogBox(NoCardDialog(), no_card);
    EndProcess(0);
  }
  if (nt_road) app.state.driver_version = ReadDriverVersion(app.platform);
}

namespace {

// Each closing of the sheet brings up a fresh main window; Exit, or
// cancelling a main window, ends the run.
void RunStartUp(App& app) {
  IdentifyMachine(app);
  // 0: the sheet closed. Anything else (Escape, a window that could not
  // be shown) ends the run instead of showing the window again.
  while (ShowMainWindow(app) == 0) {
    // The sheet closed: a fresh main window.
  }
  EndProcess(0);
}

}  // namespace

int TunoraMain(Platform& platform) {
  App app(platform);
  try {
    RunStartUp(app);
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
  return 0;
}

}  // namespace tunora
