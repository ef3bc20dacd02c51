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

const DialogTemplate& AboutDialog();
const DialogTemplate& MainDialog();
const DialogTemplate& NoCardDialog();

}  // namespace tunora
