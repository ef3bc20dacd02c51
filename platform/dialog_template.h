// Dialog templates as data: one table per dialog, the same for every UI
// adapter (the terminal UI draws it, the Windows adapter builds a
// DLGTEMPLATE from it).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace tunora {

enum class ControlKind : std::uint8_t {
  kPushButton,
  kDefPushButton,
  kCheckBox,
  kRadioButton,
  kGroupBox,
  kStatic,   // text
  kPicture,  // bitmap or icon
  kEdit,
  kComboBox,
  kTrackbar,
  kProgress,
};

// Control styles that matter to the adapters.
inline constexpr std::uint32_t kStyleCentered = 0x0001;
inline constexpr std::uint32_t kStyleSunken = 0x0002;
inline constexpr std::uint32_t kStyleMultiline = 0x0004;
inline constexpr std::uint32_t kStyleDisabled = 0x0008;
inline constexpr std::uint32_t kStyleHidden = 0x0010;
inline constexpr std::uint32_t kStyleRight = 0x0020;
inline constexpr std::uint32_t kStyleAutoCheck = 0x0040;
inline constexpr std::uint32_t kStyleNumber = 0x0080;    // edits: ES_NUMBER, digits only
inline constexpr std::uint32_t kStyleReadOnly = 0x0100;  // edits: ES_READONLY
// Combo boxes: a drop-down list without an edit field (CBS_DROPDOWNLIST);
// without it a combo is a drop-down with an edit field (CBS_DROPDOWN).
inline constexpr std::uint32_t kStyleDropDownList = 0x0200;
// Radio buttons: this one starts a keyboard group of its own (WS_GROUP)
// although a radio button comes before it, as where two group boxes' radio
// buttons follow each other.
inline constexpr std::uint32_t kStyleGroupStart = 0x0400;

inline constexpr int kNoControlId = -1;  // IDC_STATIC

// Whether a control begins a keyboard group (WS_GROUP), given whether the
// control before it is a radio button: a run of radio buttons is one group
// (Tab enters it once, the arrows move inside it) until one of them is
// marked to start the next; every other control is a group of its own.
inline bool StartsKeyboardGroup(ControlKind kind, std::uint32_t style, bool previous_is_radio) {
  return kind != ControlKind::kRadioButton || !previous_is_radio || (style & kStyleGroupStart) != 0;
}

struct ControlTemplate {
  int id;
  ControlKind kind;
  std::string_view text;    // bitmap/icon resources: "#131"
  int x, y, width, height;  // dialog units
  std::uint32_t style = 0;
  // Combo boxes: the entries the template carries as initial data, in order.
  std::vector<std::string_view> items = {};
};

// Dialog flags. An application window: a taskbar button (WS_EX_APPWINDOW) and a
// minimise box.
inline constexpr std::uint32_t kDialogAppWindow = 0x0001;
// No close box (no WS_SYSMENU; the terminal UI's system menu has no
// Close): the dialog ends through its buttons only.
inline constexpr std::uint32_t kDialogNoCloseBox = 0x0002;

struct DialogTemplate {
  int id;
  std::string_view title;
  int width, height;  // dialog units
  std::vector<ControlTemplate> controls;
  std::uint32_t flags = 0;
};

}  // namespace tunora
