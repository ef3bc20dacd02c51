// The program's dialog templates: ids, kinds, texts and positions in
// dialog units, one table per dialog.
#pragma once

#include "platform/dialog_template.h"
#include "platform/ui.h"

namespace tunora {

inline constexpr int kIddAbout = 100;
inline constexpr int kIddMain = 102;
inline constexpr int kIddNoCard = 151;

// Main window controls.
inline constexpr int kIdcExit = 1003;
inline constexpr int kIdcTweak = 1004;
inline constexpr int kIdcCardName = 1074;
inline constexpr int kIdcPlatform = 102;
// No-card window.
inline constexpr int kIdcNoCardCancel = 1028;

// The tweak sheet's pages and the reboot prompt.
inline constexpr int kIddSplashPage = 129;
inline constexpr int kIddAgpPage = 130;
inline constexpr int kIddD3dPage = 134;
inline constexpr int kIddOpenGlPage = 135;
inline constexpr int kIddMiscPage = 136;
inline constexpr int kIddRebootPrompt = 144;
inline constexpr int kIddAudioPage = 157;
inline constexpr int kIddLogCreated = 159;
inline constexpr int kIddLogFailed = 160;
inline constexpr int kIddMonitorPage = 162;
inline constexpr int kIddClockPage = 165;
inline constexpr int kIddClockChange = 166;
inline constexpr int kIddPermanence = 167;
inline constexpr int kIddQtvPage = 172;
inline constexpr int kIddQtvWarning = 173;

// Sheet buttons.
inline constexpr int kIdcSheetApply = 991;
inline constexpr int kIdcSheetCancel = 992;
inline constexpr int kIdcSheetResetAll = 993;
inline constexpr int kIdcSheetHelp = 994;
// Reboot prompt: "Reboot Now" is IDOK, "Reboot Later" IDCANCEL.
inline constexpr int kIdcRebootNow = kIdOk;
inline constexpr int kIdcRebootLater = kIdCancel;

// AGP page.
inline constexpr int kIdcAgpDefault = 1005;
inline constexpr int kIdcAgp1x = 1006;
inline constexpr int kIdcAgp2x = 1007;
inline constexpr int kIdcAgp4x = 1009;
inline constexpr int kIdcAgpVersion = 1048;
inline constexpr int kIdcAgpChipsetMax = 1049;
inline constexpr int kIdcAgpChipsetNow = 1050;
inline constexpr int kIdcAgpCardNow = 1051;
inline constexpr int kIdcAgpSideBand = 1052;
// D3D page.
inline constexpr int kIdcD3dVsyncOff = 1030;
inline constexpr int kIdcD3dVsyncOn = 1031;
// OpenGL page.
inline constexpr int kIdcOglBlockTransfers = 1001;
inline constexpr int kIdcOglPageFlipping = 1002;
inline constexpr int kIdcOglAlwaysOff = 1023;
inline constexpr int kIdcOglAlwaysOn = 1024;
inline constexpr int kIdcOglAppDecides = 1025;
inline constexpr int kIdcOglOffByDefault = 1026;
inline constexpr int kIdcOglOnByDefault = 1027;
inline constexpr int kIdcOglStatus = 1041;
inline constexpr int kIdcOglMultitexturing = 1017;
inline constexpr int kIdcOglDefaults = 1037;
inline constexpr int kIdcOglSpeed = 1038;
inline constexpr int kIdcOglAccuracy = 1039;
inline constexpr int kIdcOglCustom = 1040;
// Miscellaneous page.
inline constexpr int kIdcBusMasteringOff = 1001;
inline constexpr int kIdcBusMasteringOn = 1002;
inline constexpr int kIdcBitmapCachingOff = 1023;
inline constexpr int kIdcBitmapCachingOn = 1024;
inline constexpr int kIdcHardwareLog = 1028;
inline constexpr int kIdcSubImageCache = 1100;

// Audio page.
inline constexpr int kIdcAudioTone = 1072;
inline constexpr int kIdcAudioPlay = 1028;

// Hardware-log dialogs: "Close".
inline constexpr int kIdcLogClose = kIdOk;

// Monitor Profile page.
inline constexpr int kIdcMonitorHorizontal = 1081;
inline constexpr int kIdcMonitorVertical = 1082;
inline constexpr int kIdcMonitorRatio = 1083;

// Clock Tweak page.
inline constexpr int kIdcClockSlider = 1091;
inline constexpr int kIdcClockProgress = 1094;
inline constexpr int kIdcClockPercent = 1087;
inline constexpr int kIdcClockValue = 1099;
inline constexpr int kIdcClockDown = 1031;
inline constexpr int kIdcClockUp = 1096;
inline constexpr int kIdcClockTestNow = 1095;
inline constexpr int kIdcClockCardDefault = 1030;
// Clock change dialog: "Apply" is IDOK, "Test" IDCANCEL (Escape tests).
inline constexpr int kIdcClockApply = kIdOk;
inline constexpr int kIdcClockTest = kIdCancel;
inline constexpr int kIdcClockChangeCancel = 3;
// Permanence dialog: "Permanent" is IDOK, "Temporary" IDCANCEL (Escape
// applies until the next reboot).
inline constexpr int kIdcPermanent = kIdOk;
inline constexpr int kIdcTemporary = kIdCancel;
inline constexpr int kIdcPermanenceCancel = 1028;

// QTV page.
inline constexpr int kIdcQtvAdvanced = 1017;
inline constexpr int kIdcQtvCountry = 1108;
inline constexpr int kIdcQtvChannel = 1104;
inline constexpr int kIdcQtvFrequency = 1105;
inline constexpr int kIdcQtvBackup = 1028;
// QTV warning: "I Agree" is IDOK, "I Disagree" IDCANCEL.
inline constexpr int kIdcQtvAgree = kIdOk;
inline constexpr int kIdcQtvDisagree = kIdCancel;

const DialogTemplate& AboutDialog();
const DialogTemplate& MainDialog();
const DialogTemplate& NoCardDialog();

const DialogTemplate& SplashPageDialog();
const DialogTemplate& AgpPageDialog();
const DialogTemplate& D3dPageDialog();
const DialogTemplate& OpenGlPageDialog();
const DialogTemplate& MiscPageDialog();
const DialogTemplate& RebootPromptDialog();

// Pages and dialogs of the clock, monitor profile, TV tuner, audio and
// hardware-log features.
const DialogTemplate& AudioPageDialog();
const DialogTemplate& LogCreatedDialog();
const DialogTemplate& LogFailedDialog();
const DialogTemplate& MonitorPageDialog();
const DialogTemplate& ClockPageDialog();
const DialogTemplate& ClockChangeDialog();
const DialogTemplate& PermanenceDialog();
const DialogTemplate& QtvPageDialog();
const DialogTemplate& QtvWarningDialog();

}  // namespace tunora
