#include "resources/dialogs.h"

namespace tunora {

const DialogTemplate& AboutDialog() {
  static const DialogTemplate dialog{
      kIddAbout,
      "About Quillex Tunora Tweak Utility",
      235,
      55,
      {
          {kNoControlId, ControlKind::kPicture, "#132", 7, 7, 21, 20},
          {kNoControlId, ControlKind::kStatic, "Quillex Tunoar Tweak Utility Version 4.02.04", 40,
           10, 188, 8},
          {kNoControlId, ControlKind::kStatic, "(C) Quillex. All rights reserved.", 40, 25, 188, 8},
          {kIdOk, ControlKind::kDefPushButton, "OK", 178, 34, 50, 14},
      }};
  return dialog;
}

const DialogTemplate& MainDialog() {
  static const DialogTemplate dialog{
      kIddMain,
      "Quillex Tunora Tweak Utility",
      260,
      116,
      {
          {kNoControlId, ControlKind::kPicture, "#131", 7, 7, 177, 102},
          {kIdcTweak, ControlKind::kDefPushButton, "Tweak", 191, 77, 62, 14},
          {kIdcExit, ControlKind::kPushButton, "Exit", 191, 93, 62, 14},
          {kNoControlId, ControlKind::kGroupBox, "Current Card", 191, 7, 62, 63},
          {kIdcCardName, ControlKind::kStatic, "Quillex Video Card", 198, 18, 48, 36,
           kStyleCentered},
          {kIdcPlatform, ControlKind::kStatic, "Windows xx/xx", 191, 59, 62, 10,
           kStyleCentered | kStyleSunken},
      },
      kDialogAppWindow};
  return dialog;
}

const DialogTemplate& NoCardDialog() {
  static const DialogTemplate dialog{
      kIddNoCard,
      "Quillex Tunora Tweak Utility",
      260,
      117,
      {
          {kNoControlId, ControlKind::kPicture, "#131", 7, 7, 177, 103},
          {kNoControlId, ControlKind::kStatic,
           "Quillex\nTunora\nTweak Utility\nv4.02.04\n\nNO SUPPORTED\nCARD FOUND\n\n(C) Quillex",
           191, 7, 62, 80, kStyleCentered | kStyleMultiline},
          {kIdcNoCardCancel, ControlKind::kDefPushButton, "Cancel", 191, 96, 62, 14},
      }};
  return dialog;
}

}  // namespace tunora
