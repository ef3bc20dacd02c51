#include "sim/ui/terminal_keys.h"

#include <algorithm>
#include <cctype>

#include "sim/ui/terminal_layout.h"

namespace tunora::sim {
namespace {

bool CanFocus(const ControlState& control) {
  return IsInteractive(control.kind) && control.enabled && control.visible &&
         control.id != kNoControlId;
}

void Click(WindowModel& window, DialogHandler& handler, int id) {
  window.SetFocus(id);
  window.UserClick(id);
  handler.OnCommand(window, id, kBnClicked);
}

void Slide(WindowModel& window, DialogHandler& handler, const ControlState& bar, int position) {
  const int moved = window.UserSlide(bar.id, position);
  handler.OnScroll(window, bar.id, moved, false);
  handler.OnScroll(window, bar.id, moved, true);
}

KeyOutcome TrackbarKey(WindowModel& window, DialogHandler& handler, const ControlState& bar,
                       KeyCode code) {
  const int page = std::max(1, (bar.high - bar.low) / 5);
  switch (code) {
    case KeyCode::kLeft:
      Slide(window, handler, bar, bar.position - 1);
      break;
    case KeyCode::kRight:
      Slide(window, handler, bar, bar.position + 1);
      break;
    case KeyCode::kPageUp:
      Slide(window, handler, bar, bar.position - page);
      break;
    case KeyCode::kPageDown:
      Slide(window, handler, bar, bar.position + page);
      break;
    case KeyCode::kHome:
      Slide(window, handler, bar, bar.low);
      break;
    case KeyCode::kEnd:
      Slide(window, handler, bar, bar.high);
      break;
    default:
      return KeyOutcome::kIgnored;
  }
  return KeyOutcome::kHandled;
}

KeyOutcome ComboKey(WindowModel& window, DialogHandler& handler, const ControlState& combo,
                    KeyCode code) {
  const int last = static_cast<int>(combo.items.size()) - 1;
  int index = combo.selection;
  if (code == KeyCode::kLeft)
    index = std::max(0, index - 1);
  else if (code == KeyCode::kRight)
    index = std::min(last, index + 1);
  else if (code == KeyCode::kHome)
    index = 0;
  else if (code == KeyCode::kEnd)
    index = last;
  else
    return KeyOutcome::kIgnored;
  if (last < 0 || index == combo.selection) return KeyOutcome::kHandled;
  window.ComboSetSelection(combo.id, index);
  handler.OnCommand(window, combo.id, kCbnSelChange);
  return KeyOutcome::kHandled;
}

KeyOutcome EditKey(WindowModel& window, DialogHandler& handler, const ControlState& edit,
                   const KeyPress& key) {
  std::string text = edit.text;
  if (key.code == KeyCode::kBackspace) {
    if (text.empty()) return KeyOutcome::kHandled;
    text.pop_back();
  } else if (key.code == KeyCode::kChar) {
    if (edit.limit > 0 && static_cast<int>(text.size()) >= edit.limit) return KeyOutcome::kHandled;
    text += key.character;
  } else {
    return KeyOutcome::kIgnored;
  }
  window.UserType(edit.id, text);
  handler.OnCommand(window, edit.id, kEnChange);
  return KeyOutcome::kHandled;
}

// A letter marked with '&' in a button's text clicks it.
KeyOutcome MnemonicKey(WindowModel& window, DialogHandler& handler, char letter) {
  const int wanted = std::tolower(static_cast<unsigned char>(letter));
  for (const ControlState& control : window.controls()) {
    if (!CanFocus(control) ||
        !(IsPushButton(control.kind) || control.kind == ControlKind::kCheckBox ||
          control.kind == ControlKind::kRadioButton)) {
      continue;
    }
    const std::size_t amp = control.text.find('&');
    if (amp == std::string::npos || amp + 1 >= control.text.size()) continue;
    if (std::tolower(static_cast<unsigned char>(control.text[amp + 1])) == wanted) {
      Click(window, handler, control.id);
      return KeyOutcome::kHandled;
    }
  }
  return KeyOutcome::kIgnored;
}

// Keys that belong to the focused control, before the dialog's own keys.
KeyOutcome FocusedKey(WindowModel& window, DialogHandler& handler, const KeyPress& key) {
  const ControlState* focused = window.Find(window.focus());
  if (!focused || !CanFocus(*focused)) return KeyOutcome::kIgnored;
  switch (focused->kind) {
    case ControlKind::kEdit:
      return EditKey(window, handler, *focused, key);
    case ControlKind::kComboBox:
      return ComboKey(window, handler, *focused, key.code);
    case ControlKind::kTrackbar:
      return TrackbarKey(window, handler, *focused, key.code);
    default:
      break;
  }
  if (key.code == KeyCode::kChar && key.character == ' ') {
    Click(window, handler, focused->id);
    return KeyOutcome::kHandled;
  }
  return KeyOutcome::kIgnored;
}

}  // namespace

int NextFocus(const WindowModel& window, int from, int step) {
  const auto& controls = window.controls();
  const int count = static_cast<int>(controls.size());
  int at = -1;
  for (int i = 0; i < count; ++i) {
    if (controls[static_cast<std::size_t>(i)].id == from) at = i;
  }
  if (at < 0) at = step > 0 ? -1 : count;
  for (int n = 1; n <= count; ++n) {
    const int i = ((at + step * n) % count + count) % count;
    if (CanFocus(controls[static_cast<std::size_t>(i)]))
      return controls[static_cast<std::size_t>(i)].id;
  }
  return kNoControlId;
}

int EnterCommand(const WindowModel& window) {
  const ControlState* focused = window.Find(window.focus());
  if (focused && IsPushButton(focused->kind) && window.IsUsable(focused->id)) return focused->id;
  const int default_id = window.default_button();
  if (default_id != kNoControlId && window.IsUsable(default_id)) return default_id;
  return kIdOk;
}

KeyOutcome HandleDialogKey(WindowModel& window, DialogHandler& handler, const KeyPress& key) {
  if (FocusedKey(window, handler, key) == KeyOutcome::kHandled) return KeyOutcome::kHandled;
  switch (key.code) {
    case KeyCode::kTab:
    case KeyCode::kDown:
    case KeyCode::kRight:
      window.SetFocus(NextFocus(window, window.focus(), 1));
      return KeyOutcome::kHandled;
    case KeyCode::kBackTab:
    case KeyCode::kUp:
    case KeyCode::kLeft:
      window.SetFocus(NextFocus(window, window.focus(), -1));
      return KeyOutcome::kHandled;
    case KeyCode::kEnter:
      handler.OnCommand(window, EnterCommand(window), kBnClicked);
      return KeyOutcome::kHandled;
    case KeyCode::kEscape:
      handler.OnCancel(window);
      return KeyOutcome::kHandled;
    case KeyCode::kMenu:
      return KeyOutcome::kOpenSystemMenu;
    case KeyCode::kChar:
      return MnemonicKey(window, handler, key.character);
    default:
      return KeyOutcome::kIgnored;
  }
}

}  // namespace tunora::sim
