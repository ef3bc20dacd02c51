// The clock, monitor profile, TV tuner and audio pages of the tweak sheet
// (280 by 114 dialog units each) and the dialogs they and the hardware log
// open.
#include "resources/dialogs.h"

namespace tunora {
namespace {

constexpr int kPageWidth = 280;
constexpr int kPageHeight = 114;
constexpr std::uint32_t kField = kStyleCentered | kStyleSunken;
constexpr std::uint32_t kText = kStyleMultiline;

// The Audio page's tone list, carried by its template as initial data.
std::vector<std::string_view> ToneItems() {
  return {"-- None --", "    400 Hz", "    500 Hz", "    600 Hz", "    700 Hz", "    800 Hz",
          "    900 Hz", "  1000 Hz",  "  1100 Hz",  "  1200 Hz",  "  1300 Hz",  "  1400 Hz",
          "  1500 Hz",  "  1600 Hz",  "  1700 Hz",  "  1800 Hz",  "  1900 Hz",  "  2000 Hz",
          "  2100 Hz",  "  2200 Hz",  "  2300 Hz",  "  2400 Hz",  "  2500 Hz",  "  2600 Hz"};
}

}  // namespace

const DialogTemplate& AudioPageDialog() {
  static const DialogTemplate dialog{
      kIddAudioPage,
      "Audio",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "Audio Test", 7, 7, 266, 100},
          {kNoControlId, ControlKind::kStatic, "Base Tone Frequency", 14, 24, 76, 8},
          {kIdcAudioTone, ControlKind::kComboBox, "", 94, 22, 64, 12, kStyleDropDownList,
           ToneItems()},
          {kIdcAudioPlay, ControlKind::kPushButton, "Play Audio Tone", 166, 21, 84, 14},
      }};
  return dialog;
}

const DialogTemplate& LogCreatedDialog() {
  static const DialogTemplate dialog{
      kIddLogCreated,
      "Quillex Tunora Tweak Utility",
      186,
      55,
      {
          {kNoControlId, ControlKind::kStatic,
           "The hardware log file hardware.txt was created on c:\\ (ie. c:\\hardware.txt).", 7, 7,
           172, 20, kStyleCentered | kText},
          {kIdcLogClose, ControlKind::kDefPushButton, "Close", 68, 34, 50, 14},
      }};
  return dialog;
}

const DialogTemplate& LogFailedDialog() {
  static const DialogTemplate dialog{
      kIddLogFailed,
      "",
      264,
      113,
      {
          {kNoControlId, ControlKind::kStatic,
           "An error has occured while trying to generate a hardware log. This is most likely to "
           "happen if windows WMI is not installed. This component is required for this function "
           "to work properly.",
           7, 7, 250, 40, kText},
          {kNoControlId, ControlKind::kStatic,
           "Please verify the README on how to fix this or click on help and goto TunoraUtil and "
           "then click on the help section \"Miscellaneous Tab\" to get information on getting "
           "the WMI update file (wmicore.exe).",
           7, 49, 250, 40, kText},
          {kIdcLogClose, ControlKind::kDefPushButton, "Close", 107, 92, 50, 14},
      }};
  return dialog;
}

const DialogTemplate& MonitorPageDialog() {
  // The combos are drop-downs with an edit field; the page fills them.
  static const DialogTemplate dialog{
      kIddMonitorPage,
      "Monitor Profile",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "Resolution (x,y)", 7, 7, 266, 100},
          {kNoControlId, ControlKind::kStatic, "Horizontal Resolution", 21, 24, 100, 8},
          {kIdcMonitorHorizontal, ControlKind::kComboBox, "", 21, 34, 100, 12},
          {kNoControlId, ControlKind::kStatic, "Vertical Resolution", 159, 24, 100, 8},
          {kIdcMonitorVertical, ControlKind::kComboBox, "", 159, 34, 100, 12},
          {kIdcMonitorRatio, ControlKind::kStatic, "Display Ratio", 21, 70, 238, 12, kField},
      }};
  return dialog;
}

const DialogTemplate& ClockPageDialog() {
  static const DialogTemplate dialog{
      kIddClockPage,
      "Clock Tweak",
      kPageWidth,
      kPageHeight,
      {
          {kIdcClockDown, ControlKind::kPushButton, "<", 7, 20, 14, 14},
          {kIdcClockSlider, ControlKind::kTrackbar, "", 25, 20, 230, 14},
          {kIdcClockUp, ControlKind::kPushButton, ">", 259, 20, 14, 14},
          {kIdcClockProgress, ControlKind::kProgress, "", 25, 40, 230, 10},
          {kIdcClockPercent, ControlKind::kStatic, "100 %", 25, 56, 50, 12, kField},
          {kIdcClockValue, ControlKind::kStatic, "No Value", 205, 56, 50, 12, kField},
          {kIdcClockTestNow, ControlKind::kPushButton, "Test Now", 143, 93, 62, 14},
          {kIdcClockCardDefault, ControlKind::kPushButton, "Card Default", 211, 93, 62, 14},
      }};
  return dialog;
}

const DialogTemplate& ClockChangeDialog() {
  // "Apply" waits for a test; Enter falls back to it (IDOK), so no default.
  static const DialogTemplate dialog{
      kIddClockChange,
      "Clock Change - Quillex Tunora Tweak Utility",
      254,
      83,
      {
          {kNoControlId, ControlKind::kStatic,
           "Click on APPLY to apply changes.\n\nClick on TEST to test the changes for 10 "
           "seconds.\n\nNote: To revert changes after clicking the apply button you\n    must "
           "reboot your system unless made permanent.",
           7, 7, 240, 48, kText},
          {kIdcClockApply, ControlKind::kPushButton, "Apply", 42, 62, 50, 14, kStyleDisabled},
          {kIdcClockTest, ControlKind::kPushButton, "Test", 102, 62, 50, 14},
          {kIdcClockChangeCancel, ControlKind::kPushButton, "Cancel", 162, 62, 50, 14},
      },
      kDialogNoCloseBox};
  return dialog;
}

const DialogTemplate& PermanenceDialog() {
  static const DialogTemplate dialog{
      kIddPermanence,
      "Warning!!! Quillex Tunora Tweak Utility",
      274,
      101,
      {
          {kNoControlId, ControlKind::kStatic,
           "Click on the Permanent button to make the changes permanent, or click on Temporary "
           "button to test the\ncurrent changes for this session.",
           7, 7, 260, 26, kText},
          {kNoControlId, ControlKind::kStatic,
           "Note: To revert changes applied with the temporary\n     button you must reboot your "
           "system. Also \n note that for the permanent changes to\n         take effect you "
           "must reboot your system",
           7, 38, 260, 34, kText},
          {kIdcPermanent, ControlKind::kDefPushButton, "Permanent", 43, 80, 56, 14},
          {kIdcTemporary, ControlKind::kPushButton, "Temporary", 109, 80, 56, 14},
          {kIdcPermanenceCancel, ControlKind::kPushButton, "Cancel", 175, 80, 56, 14},
      },
      kDialogNoCloseBox};
  return dialog;
}

const DialogTemplate& QtvPageDialog() {
  static const DialogTemplate dialog{
      kIddQtvPage,
      "QTV",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "Advanced Settings", 7, 7, 266, 28},
          {kIdcQtvAdvanced, ControlKind::kCheckBox, "QTV Advanced Capture Setting", 14, 19, 130, 10,
           kStyleAutoCheck},
          {kNoControlId, ControlKind::kGroupBox, "Channel Editor", 7, 40, 266, 67},
          {kNoControlId, ControlKind::kStatic, "Current Selected Country", 14, 52, 100, 8},
          {kIdcQtvCountry, ControlKind::kEdit, "", 14, 62, 100, 14, kStyleReadOnly},
          {kNoControlId, ControlKind::kStatic, "Channel", 121, 52, 60, 8},
          {kIdcQtvChannel, ControlKind::kComboBox, "", 121, 62, 60, 12, kStyleDisabled},
          {kNoControlId, ControlKind::kStatic, "Frequency (in KHz)", 188, 52, 78, 8},
          {kIdcQtvFrequency, ControlKind::kEdit, "", 188, 62, 78, 14,
           kStyleDisabled | kStyleNumber},
          {kIdcQtvBackup, ControlKind::kPushButton, "Backup", 216, 86, 50, 14},
      }};
  return dialog;
}

const DialogTemplate& QtvWarningDialog() {
  // Enter declines: agreeing gives up technical support, so it takes a click.
  static const DialogTemplate dialog{
      kIddQtvWarning,
      "Warning!!!",
      240,
      75,
      {
          {kNoControlId, ControlKind::kStatic,
           "There will be no technical support provided when enableing this feature. In order to "
           "have technical support, you must uninstall the video tools and then re-install them "
           "without re-enabling this feature.",
           7, 7, 226, 40, kText},
          {kIdcQtvAgree, ControlKind::kPushButton, "I Agree", 55, 54, 60, 14},
          {kIdcQtvDisagree, ControlKind::kDefPushButton, "I Disagree", 125, 54, 60, 14},
      }};
  return dialog;
}

}  // namespace tunora
