// The tweak property sheet (CPropSheet): which pages the platform and card
// get, the four buttons that replace the standard ones, and Apply with its
// reboot prompt, Reset All and Help.
#pragma once

#include <string_view>
#include <vector>

#include "sheet/agp_page.h"
#include "sheet/audio_page.h"
#include "sheet/clock_page.h"
#include "sheet/d3d_page.h"
#include "sheet/misc_page.h"
#include "sheet/monitor_profile_page.h"
#include "sheet/opengl_page.h"
#include "sheet/page.h"
#include "sheet/page_rules.h"
#include "sheet/qtv_page.h"
#include "sheet/run_state.h"
#include "sheet/splash_page.h"

namespace tunora {

inline constexpr std::string_view kSheetCaption = "Quillex Tunora Tweak Utility";
inline constexpr std::string_view kHelpFileName = "\\TUNORAHELP.CHM";

inline constexpr std::string_view kRebootAborted =
    "Reboot Aborted!\n\nERROR: Your driver may not be properly installed!";
inline constexpr std::string_view kUnableToReboot = "Changes Applied!\n\nERROR: Unable to reboot.";
inline constexpr std::string_view kUnknownPlatform = "ERROR: Unknown Platform?";

// What tests may change about the sheet; the program always uses the
// defaults.
struct PropSheetOptions {
  // Adds the Audio page after the OpenGL page, where its class number puts
  // it; the program never shows it.
  bool show_audio_page = false;
};

class PropSheet : public SheetHandler, public ApplyResetButtons {
 public:
  // Builds every page object and counts the boards (which deploys the
  // road's driver), then picks the pages.
  explicit PropSheet(App& app, PropSheetOptions options = {});

  std::string_view RuntimeClass() const { return "CPropSheet"; }
  // Shows the sheet modally; returns when Cancel closes it (Apply ends the
  // process).
  int Run();

  // SheetHandler.
  void OnInit(SheetWindow& sheet) override;
  void OnCommand(SheetWindow& sheet, int id, int notification) override;

  // ApplyResetButtons.
  void EnableApplyAndReset() override;
  void DisableApplyAndReset() override;

 private:
  void Apply();
  void ResetAll(SheetWindow& sheet);
  void Help();
  [[noreturn]] void FailReboot(std::string_view message);
  SheetPage PageFor(SheetPageKind kind);

  App& app_;
  PropSheetOptions options_;
  SheetWindow* sheet_ = nullptr;
  SplashPage splash_;
  AgpPage agp_;
  D3dPage d3d_;
  OpenGlPage opengl_;
  AudioPage audio_;  // built with every sheet, shown only in tests
  MonitorProfilePage monitor_;
  ClockPage clock_;
  QtvPage qtv_;
  MiscPage misc_;
  std::vector<SheetPageKind> kinds_;
};

// The reboot prompt: "Reboot Now" (IDOK) or "Reboot Later" (IDCANCEL, also
// Escape and the close box).
class RebootPrompt : public DialogHandler {
 public:
  void OnCommand(DialogWindow& window, int id, int notification) override;
};

// Writes every pending change in the Apply order: the pages' own writers
// around the settings catalog's. The first form writes through `registry`
// and shows its messages through `ui` (the undo file's dry run).
ApplyResults WritePendingChanges(App& app, Registry& registry, Ui& ui);
ApplyResults WritePendingChanges(App& app);

}  // namespace tunora
