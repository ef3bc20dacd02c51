// The tweak sheet's pages (280 by 114 dialog units each) and its reboot
// prompt.
#include "resources/dialogs.h"

namespace tunora {
namespace {

constexpr int kPageWidth = 280;
constexpr int kPageHeight = 114;
constexpr std::uint32_t kField = kStyleCentered | kStyleSunken;

}  // namespace

const DialogTemplate& SplashPageDialog() {
  static const DialogTemplate dialog{
      kIddSplashPage,
      "Quillex",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kPicture, "#131", 7, 7, 177, 102},
          {kNoControlId, ControlKind::kStatic,
           "Quillex\nTunora\nTweak\nUtility\n\nVersion 4.02.04\n\n(C) Quillex. All rights "
           "reserved.",
           191, 7, 82, 100, kStyleCentered | kStyleMultiline},
      }};
  return dialog;
}

const DialogTemplate& AgpPageDialog() {
  static const DialogTemplate dialog{
      kIddAgpPage,
      "AGP",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "AGP Bus Speed", 7, 7, 88, 100},
          {kIdcAgpDefault, ControlKind::kRadioButton, "Default", 14, 20, 39, 10},
          {kIdcAgp1x, ControlKind::kRadioButton, "1x AGP", 14, 31, 40, 10},
          {kIdcAgp2x, ControlKind::kRadioButton, "2x AGP", 14, 41, 40, 10},
          {kIdcAgp4x, ControlKind::kRadioButton, "4x AGP", 14, 52, 40, 10},
          {kNoControlId, ControlKind::kGroupBox, "AGP Status", 96, 7, 177, 100},
          {1043, ControlKind::kStatic, " AGP Version", 107, 23, 108, 11, kStyleSunken},
          {1044, ControlKind::kStatic, " Maximum Chipset Speed", 107, 39, 108, 11, kStyleSunken},
          {1045, ControlKind::kStatic, " Current Chipset Speed", 107, 55, 108, 11, kStyleSunken},
          {1046, ControlKind::kStatic, " Current Video Card  Speed", 107, 72, 108, 11,
           kStyleSunken},
          {1047, ControlKind::kStatic, " SideBand Addressing", 107, 89, 108, 11, kStyleSunken},
          {kIdcAgpVersion, ControlKind::kStatic, "NA", 225, 23, 36, 11, kField},
          {kIdcAgpChipsetMax, ControlKind::kStatic, "NA", 225, 39, 36, 11, kField},
          {kIdcAgpChipsetNow, ControlKind::kStatic, "NA", 225, 55, 36, 11, kField},
          {kIdcAgpCardNow, ControlKind::kStatic, "NA", 225, 72, 36, 11, kField},
          {kIdcAgpSideBand, ControlKind::kStatic, "NA", 225, 89, 36, 11, kField},
      }};
  return dialog;
}

const DialogTemplate& D3dPageDialog() {
  static const DialogTemplate dialog{
      kIddD3dPage,
      "D3D",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "DirectX Options", 7, 7, 266, 100},
          {kIdcD3dVsyncOff, ControlKind::kRadioButton, "Force VSync OFF", 14, 20, 72, 10},
          {kIdcD3dVsyncOn, ControlKind::kRadioButton, "Force VSync ON", 14, 31, 69, 10},
      }};
  return dialog;
}

const DialogTemplate& OpenGlPageDialog() {
  // The seven vertical-sync buttons are automatic radios of one group.
  static const DialogTemplate dialog{
      kIddOpenGlPage,
      "OpenGL",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "Vertical Sync", 7, 7, 107, 100},
          {kIdcOglBlockTransfers, ControlKind::kRadioButton, "Block Transfers", 14, 20, 65, 10,
           kStyleAutoCheck},
          {kIdcOglPageFlipping, ControlKind::kRadioButton, "Page Flipping", 14, 31, 59, 10,
           kStyleAutoCheck},
          {kIdcOglAlwaysOff, ControlKind::kRadioButton, "Always OFF", 29, 43, 53, 10,
           kStyleAutoCheck},
          {kIdcOglAlwaysOn, ControlKind::kRadioButton, "Always ON", 29, 54, 51, 10,
           kStyleAutoCheck},
          {kIdcOglAppDecides, ControlKind::kRadioButton, "Application Decides", 29, 65, 79, 10,
           kStyleAutoCheck},
          {kIdcOglOffByDefault, ControlKind::kRadioButton, "OFF by Default", 45, 76, 63, 10,
           kStyleAutoCheck},
          {kIdcOglOnByDefault, ControlKind::kRadioButton, "ON by Default", 45, 87, 61, 10,
           kStyleAutoCheck},
          {kNoControlId, ControlKind::kGroupBox, "Optimizations", 115, 7, 158, 100},
          {kIdcOglStatus, ControlKind::kStatic, "Not Available", 121, 18, 145, 11, kField},
          {kIdcOglMultitexturing, ControlKind::kCheckBox, "Advanced Multitexturing", 124, 38, 142,
           10, kStyleAutoCheck},
          {kIdcOglDefaults, ControlKind::kRadioButton, "GL Driver Defaults", 123, 55, 74, 10},
          {kIdcOglSpeed, ControlKind::kRadioButton, "Optimize for Speed", 123, 65, 75, 10},
          {kIdcOglAccuracy, ControlKind::kRadioButton, "Optimize for Accuracy", 123, 76, 85, 10},
          {kIdcOglCustom, ControlKind::kRadioButton, "Customized Settings", 123, 87, 79, 10},
      }};
  return dialog;
}

const DialogTemplate& MiscPageDialog() {
  static const DialogTemplate dialog{
      kIddMiscPage,
      "Miscellaneous",
      kPageWidth,
      kPageHeight,
      {
          {kNoControlId, ControlKind::kGroupBox, "BusMastering", 7, 7, 132, 61},
          {kNoControlId, ControlKind::kGroupBox, "Bitmap Caching", 140, 7, 133, 61},
          {kIdcBusMasteringOff, ControlKind::kRadioButton, "Force BusMastering OFF", 14, 20, 94,
           10},
          {kIdcBusMasteringOn, ControlKind::kRadioButton, "Force BusMastering ON", 14, 31, 91, 10},
          // Its own group box, so its own keyboard group.
          {kIdcBitmapCachingOff, ControlKind::kRadioButton, "Force Bitmap Caching OFF", 147, 20,
           101, 10, kStyleGroupStart},
          {kIdcBitmapCachingOn, ControlKind::kRadioButton, "Force Bitmap Caching ON", 147, 31, 98,
           10},
          {kNoControlId, ControlKind::kGroupBox, "Hardware Log", 140, 69, 133, 38},
          {kIdcHardwareLog, ControlKind::kPushButton, "Generate Hardware Log", 147, 84, 120, 14},
          {kNoControlId, ControlKind::kGroupBox, "Other Options", 7, 69, 132, 38},
          {kNoControlId, ControlKind::kStatic, "SubImage Cache (KB):", 14, 87, 79, 10},
          {kIdcSubImageCache, ControlKind::kEdit, "", 92, 84, 40, 14,
           kStyleCentered | kStyleSunken | kStyleNumber},
      }};
  return dialog;
}

const DialogTemplate& RebootPromptDialog() {
  static const DialogTemplate dialog{
      kIddRebootPrompt,
      "Reboot - Quillex Tunora Tweak Utility",
      220,
      55,
      {
          {kNoControlId, ControlKind::kStatic, "You must reboot for your changes to take effect.",
           7, 10, 206, 10, kStyleCentered},
          {kIdcRebootNow, ControlKind::kDefPushButton, "Reboot Now", 40, 32, 60, 14},
          {kIdcRebootLater, ControlKind::kPushButton, "Reboot Later", 120, 32, 60, 14},
      }};
  return dialog;
}

}  // namespace tunora
