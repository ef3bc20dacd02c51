#include "platform/win32/dlgtemplate.h"

#include <charconv>

namespace tunora::win32 {
namespace {

class Writer {
 public:
  void Word(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void Dword(std::uint32_t value) {
    Word(static_cast<std::uint16_t>(value & 0xFFFF));
    Word(static_cast<std::uint16_t>(value >> 16));
  }
  void Short(int value) { Word(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
  // A zero-terminated UTF-16 string; the tables' texts are Latin-1.
  void Text(std::string_view text) {
    for (const char c : text) Word(static_cast<std::uint8_t>(c));
    Word(0);
  }
  void Ordinal(std::uint16_t value) {
    Word(0xFFFF);
    Word(value);
  }
  void AlignDword() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

bool IsRadio(const ControlTemplate* control) {
  return control && control->kind == ControlKind::kRadioButton;
}

std::uint32_t TextAlignment(std::uint32_t style, std::uint32_t center, std::uint32_t right) {
  if (style & kStyleCentered) return center;
  if (style & kStyleRight) return right;
  return 0;
}

std::uint32_t KindStyle(const ControlTemplate& control, bool picture_is_icon) {
  const std::uint32_t style = control.style;
  const bool automatic = (style & kStyleAutoCheck) != 0;
  switch (control.kind) {
    case ControlKind::kPushButton:
      return kBsPushButton | kWsTabStop;
    case ControlKind::kDefPushButton:
      return kBsDefPushButton | kWsTabStop;
    case ControlKind::kCheckBox:
      return (automatic ? kBsAutoCheckBox : kBsCheckBox) | kWsTabStop;
    case ControlKind::kRadioButton:
      return automatic ? kBsAutoRadioButton : kBsRadioButton;
    case ControlKind::kGroupBox:
      return kBsGroupBox;
    case ControlKind::kStatic:
      return TextAlignment(style, kSsCenter, kSsRight) | (style & kStyleSunken ? kSsSunken : 0);
    case ControlKind::kPicture:
      return (picture_is_icon ? kSsIcon : kSsBitmap) | (style & kStyleSunken ? kSsSunken : 0);
    case ControlKind::kEdit:
      return TextAlignment(style, kEsCenter, kEsRight) | kEsAutoHScroll | kWsBorder | kWsTabStop |
             (style & kStyleMultiline ? kEsMultiline : 0) |
             (style & kStyleReadOnly ? kEsReadOnly : 0) | (style & kStyleNumber ? kEsNumber : 0);
    case ControlKind::kComboBox:
      return (style & kStyleDropDownList ? kCbsDropDownList : kCbsDropDown | kCbsAutoHScroll) |
             kWsVScroll | kWsTabStop;
    case ControlKind::kTrackbar:
      return kWsTabStop;  // TBS_HORZ | TBS_BOTTOM
    case ControlKind::kProgress:
      return kWsBorder;
  }
  return 0;
}

void WriteClass(Writer& out, ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
    case ControlKind::kGroupBox:
      out.Ordinal(kAtomButton);
      return;
    case ControlKind::kStatic:
    case ControlKind::kPicture:
      out.Ordinal(kAtomStatic);
      return;
    case ControlKind::kEdit:
      out.Ordinal(kAtomEdit);
      return;
    case ControlKind::kComboBox:
      out.Ordinal(kAtomComboBox);
      return;
    case ControlKind::kTrackbar:
      out.Text("msctls_trackbar32");
      return;
    case ControlKind::kProgress:
      out.Text("msctls_progress32");
      return;
  }
}

}  // namespace

int PictureResourceId(std::string_view text) {
  if (text.size() < 2 || text[0] != '#') return -1;
  int id = 0;
  const auto [end, error] = std::from_chars(text.data() + 1, text.data() + text.size(), id);
  if (error != std::errc{} || end != text.data() + text.size() || id <= 0 || id > 0xFFFF) {
    return -1;
  }
  return id;
}

std::uint32_t DialogStyle(const DialogTemplate& dialog, TemplateUse use) {
  if (use == TemplateUse::kPage) return kWsChild | kDsControl | kDs3dLook | kDsSetFont;
  std::uint32_t style = kWsPopup | kWsCaption | kDsModalFrame | kDs3dLook | kDsSetFont;
  if (!(dialog.flags & kDialogNoCloseBox)) style |= kWsSysMenu;
  if (dialog.flags & kDialogAppWindow) style |= kWsMinimizeBox;
  return style;
}

std::uint32_t DialogExStyle(const DialogTemplate& dialog, TemplateUse use) {
  return use == TemplateUse::kDialog && (dialog.flags & kDialogAppWindow) ? kWsExAppWindow : 0;
}

std::uint32_t ControlStyle(const ControlTemplate& control, const ControlTemplate* previous,
                           bool picture_is_icon) {
  std::uint32_t style = kWsChild | KindStyle(control, picture_is_icon);
  // A run of radio buttons is one group and one tab stop; every other
  // control starts a group of its own, which also closes the run before it.
  if (StartsKeyboardGroup(control.kind, control.style, IsRadio(previous))) {
    style |= kWsGroup;
    if (IsRadio(&control)) style |= kWsTabStop;
  }
  if ((control.style & kStyleHidden) == 0) style |= kWsVisible;
  if (control.style & kStyleDisabled) style |= kWsDisabled;
  return style;
}

std::uint32_t ControlExStyle(const ControlTemplate& control) {
  return control.kind == ControlKind::kEdit && (control.style & kStyleSunken) ? kWsExClientEdge : 0;
}

std::vector<std::uint8_t> BuildDialogTemplate(const DialogTemplate& dialog, TemplateUse use,
                                              const IsIconResource& is_icon) {
  Writer out;
  out.Dword(DialogStyle(dialog, use));
  out.Dword(DialogExStyle(dialog, use));
  out.Word(static_cast<std::uint16_t>(dialog.controls.size()));
  out.Short(0);
  out.Short(0);
  out.Short(dialog.width);
  out.Short(dialog.height);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(dialog.title);
  out.Word(kDialogFontPoints);
  out.Text(kDialogFontName);

  const ControlTemplate* previous = nullptr;
  for (const ControlTemplate& control : dialog.controls) {
    out.AlignDword();
    const int picture =
        control.kind == ControlKind::kPicture ? PictureResourceId(control.text) : -1;
    const bool icon = picture > 0 && is_icon && is_icon(picture);
    out.Dword(ControlStyle(control, previous, icon));
    out.Dword(ControlExStyle(control));
    out.Short(control.x);
    out.Short(control.y);
    out.Short(control.width);
    // A combo's height in the template includes its dropped list.
    out.Short(control.height + (control.kind == ControlKind::kComboBox ? kComboListHeight : 0));
    out.Word(static_cast<std::uint16_t>(control.id));
    WriteClass(out, control.kind);
    if (picture > 0) {
      out.Ordinal(static_cast<std::uint16_t>(picture));
    } else {
      out.Text(control.text);
    }
    out.Word(0);  // no creation data
    previous = &control;
  }
  out.AlignDword();
  return out.Take();
}

}  // namespace tunora::win32
