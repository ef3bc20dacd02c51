// In-memory DLGTEMPLATEs built from the program's dialog tables, for
// DialogBoxIndirectParamA and PROPSHEETPAGEA (PSP_DLGINDIRECT). Free of
// windows.h, so the byte layout is tested on any host.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"

namespace tunora::win32 {

// Window and control styles the builder writes (winuser.h, commctrl.h).
inline constexpr std::uint32_t kWsPopup = 0x80000000;
inline constexpr std::uint32_t kWsChild = 0x40000000;
inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kWsCaption = 0x00C00000;
inline constexpr std::uint32_t kWsBorder = 0x00800000;
inline constexpr std::uint32_t kWsVScroll = 0x00200000;
inline constexpr std::uint32_t kWsSysMenu = 0x00080000;
inline constexpr std::uint32_t kWsGroup = 0x00020000;
inline constexpr std::uint32_t kWsMinimizeBox = 0x00020000;  // same bit, on top-level windows
inline constexpr std::uint32_t kWsTabStop = 0x00010000;
inline constexpr std::uint32_t kWsExClientEdge = 0x00000200;
inline constexpr std::uint32_t kWsExAppWindow = 0x00040000;
inline constexpr std::uint32_t kDs3dLook = 0x0004;
inline constexpr std::uint32_t kDsSetFont = 0x0040;
inline constexpr std::uint32_t kDsModalFrame = 0x0080;
inline constexpr std::uint32_t kDsControl = 0x0400;
inline constexpr std::uint32_t kBsPushButton = 0x0;
inline constexpr std::uint32_t kBsDefPushButton = 0x1;
inline constexpr std::uint32_t kBsCheckBox = 0x2;
inline constexpr std::uint32_t kBsAutoCheckBox = 0x3;
inline constexpr std::uint32_t kBsRadioButton = 0x4;
inline constexpr std::uint32_t kBsGroupBox = 0x7;
inline constexpr std::uint32_t kBsAutoRadioButton = 0x9;
inline constexpr std::uint32_t kSsLeft = 0x0;
inline constexpr std::uint32_t kSsCenter = 0x1;
inline constexpr std::uint32_t kSsRight = 0x2;
inline constexpr std::uint32_t kSsIcon = 0x3;
inline constexpr std::uint32_t kSsBitmap = 0xE;
inline constexpr std::uint32_t kSsSunken = 0x1000;
inline constexpr std::uint32_t kEsCenter = 0x1;
inline constexpr std::uint32_t kEsRight = 0x2;
inline constexpr std::uint32_t kEsMultiline = 0x4;
inline constexpr std::uint32_t kEsAutoHScroll = 0x80;
inline constexpr std::uint32_t kEsReadOnly = 0x800;
inline constexpr std::uint32_t kEsNumber = 0x2000;
inline constexpr std::uint32_t kCbsDropDown = 0x2;
inline constexpr std::uint32_t kCbsDropDownList = 0x3;
inline constexpr std::uint32_t kCbsAutoHScroll = 0x40;

// Predefined class atoms of a DLGITEMTEMPLATE.
inline constexpr std::uint16_t kAtomButton = 0x0080;
inline constexpr std::uint16_t kAtomEdit = 0x0081;
inline constexpr std::uint16_t kAtomStatic = 0x0082;
inline constexpr std::uint16_t kAtomComboBox = 0x0085;

// The dialog font.
inline constexpr std::uint16_t kDialogFontPoints = 8;
inline constexpr std::string_view kDialogFontName = "MS Sans Serif";

// How far a combo's list drops below its field, in dialog units.
inline constexpr int kComboListHeight = 96;

enum class TemplateUse {
  kDialog,  // a modal dialog with a caption and a system menu
  kPage,    // a property sheet page: a control-parent child
};

// Whether picture resource ID is an icon; pictures are bitmaps otherwise.
using IsIconResource = std::function<bool(int id)>;

// "#131" -> 131; -1 for any other text.
int PictureResourceId(std::string_view text);

// The dialog's style, extended style and each control's, as written.
std::uint32_t DialogStyle(const DialogTemplate& dialog, TemplateUse use);
std::uint32_t DialogExStyle(const DialogTemplate& dialog, TemplateUse use);
// `previous` is the control before it in the table, or null.
std::uint32_t ControlStyle(const ControlTemplate& control, const ControlTemplate* previous,
                           bool picture_is_icon);
std::uint32_t ControlExStyle(const ControlTemplate& control);

// A DLGTEMPLATE with DS_SETFONT ("MS Sans Serif", 8) and one DWORD-aligned
// DLGITEMTEMPLATE per control. Texts are taken byte for byte as Latin-1.
// The buffer's size is a multiple of four, so templates can be chained.
std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog, TemplateUse use,
                                              const IsIconResource& is_icon = {});

}  // namespace tunora::win32
