#include "sim/ui/terminal_keys.h"

#include <algorithm>
#include <cctype>

#include "sim/ui/scripted_window.h"

namespace tunora::sim {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

int Wrap(int index, int count) { return ((index % count) + count) % count; }

bool CanFocus(const ControlState& control) {
  return IsInteractive(control.kind) && control.enabled && control.visible &&
         control.id != kNoControlId;
}

// A keyboard group, controls [first, last] of the window; the focus
// enters at `id`, its checked button when it has one.
struct TabStop {
  std::size_t first, last;
  int id;
};

std::vector<TabStop> TabStops(const WindowModel& window) {
  const auto& controls = window.controls();
  std::vector<TabStop> stops;
  for (std::size_t i = 0; i < controls.size();) {
    std::size_t last = i;
    while (last + 1 < controls.size() && !StartsKeyboardGroupAt(controls, last + 1)) ++last;
    int first_usable = kNoControlId, checked = kNoControlId;
    for (std::size_t j = i; j <= last; ++j) {
      if (!CanFocus(controls[j])) continue;
      if (first_usable == kNoControlId) first_usable = controls[j].id;
      if (controls[j].checked && checked == kNoControlId) checked = controls[j].id;
    }
    if (first_usable != kNoControlId) {
      stops.push_back({i, last, checked != kNoControlId ? checked : first_usable});
    }
    i = last + 1;
  }
  return stops;
}

// The stop holding control `id`, or -1.
int StopOf(const WindowModel& window, const std::vector<TabStop>& stops, int id) {
  const auto& controls = window.controls();
  for (int s = 0; s < static_cast<int>(stops.size()); ++s) {
    const TabStop& stop = stops[static_cast<std::size_t>(s)];
    for (std::size_t i = stop.first; i <= stop.last; ++i) {
      if (controls[i].id == id) return s;
    }
  }
  return -1;
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
    case KeyCode::kUp:
      Slide(window, handler, bar, bar.position - 1);
      break;
    case KeyCode::kRight:
    case KeyCode::kDown:
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
  if (code == KeyCode::kLeft || code == KeyCode::kUp)
    index = std::max(0, index - 1);
  else if (code == KeyCode::kRight || code == KeyCode::kDown)
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
  if (key.code != KeyCode::kBackspace && key.code != KeyCode::kChar) return KeyOutcome::kIgnored;
  // A read-only edit, a digits-only edit given another key and a full one
  // refuse the key without a change notification, as the edit control does.
  const bool digit = key.character >= '0' && key.character <= '9';
  const bool refused = (edit.style & kStyleReadOnly) ||
                       (key.code == KeyCode::kBackspace && edit.text.empty()) ||
                       (key.code == KeyCode::kChar &&
                        (((edit.style & kStyleNumber) && !digit) ||
                         (edit.limit > 0 && static_cast<int>(edit.text.size()) >= edit.limit)));
  if (refused) return KeyOutcome::kHandled;
  std::string text = edit.text;
  if (key.code == KeyCode::kBackspace) {
    text.pop_back();
  } else {
    text += key.character;
  }
  window.UserType(edit.id, text);
  handler.OnCommand(window, edit.id, kEnChange);
  return KeyOutcome::kHandled;
}

// Arrows move through a run of radio buttons, round, pressing the one they
// land on, as the dialog manager does.
KeyOutcome RadioKey(WindowModel& window, DialogHandler& handler, const ControlState& radio,
                    KeyCode code) {
  int step = 0;
  if (code == KeyCode::kUp || code == KeyCode::kLeft) step = -1;
  if (code == KeyCode::kDown || code == KeyCode::kRight) step = 1;
  if (step == 0) return KeyOutcome::kIgnored;
  const std::vector<TabStop> stops = TabStops(window);
  const int s = StopOf(window, stops, radio.id);
  if (s < 0) return KeyOutcome::kIgnored;
  const TabStop& group = stops[static_cast<std::size_t>(s)];
  const auto& controls = window.controls();
  const int first = static_cast<int>(group.first);
  const int count = static_cast<int>(group.last - group.first) + 1;
  const int at = static_cast<int>(&radio - controls.data()) - first;
  for (int n = 1; n <= count; ++n) {
    const ControlState& next =
        controls[static_cast<std::size_t>(first + Wrap(at + step * n, count))];
    if (CanFocus(next)) {
      Click(window, handler, next.id);
      break;
    }
  }
  return KeyOutcome::kHandled;
}

// A letter marked with '&' in a button's or box's text clicks it.
KeyOutcome MnemonicKey(WindowModel& window, DialogHandler& handler, char letter) {
  for (const ControlState& control : window.controls()) {
    if (!CanFocus(control) ||
        !(IsPushButton(control.kind) || control.kind == ControlKind::kCheckBox ||
          control.kind == ControlKind::kRadioButton)) {
      continue;
    }
    const std::size_t amp = control.text.find('&');
    if (amp == std::string::npos || amp + 1 >= control.text.size()) continue;
    if (Lower(control.text[amp + 1]) == Lower(letter)) {
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
    case ControlKind::kRadioButton:
      if (RadioKey(window, handler, *focused, key.code) == KeyOutcome::kHandled) {
        return KeyOutcome::kHandled;
      }
      break;
    default:
      break;
  }
  if (key.code == KeyCode::kChar && key.character == ' ') {
    Click(window, handler, focused->id);
    return KeyOutcome::kHandled;
  }
  return KeyOutcome::kIgnored;
}

// The usable default button, else IDOK: what Enter runs when no push
// button has the focus.
int DefaultCommand(const WindowModel& window) {
  const int default_id = window.default_button();
  if (default_id != kNoControlId && window.IsUsable(default_id)) return default_id;
  return kIdOk;
}

bool FocusUsable(const WindowModel& window) {
  const ControlState* focused = window.Find(window.focus());
  return focused && CanFocus(*focused);
}

void FocusFirstStop(WindowModel& window) { window.SetFocus(NextFocus(window, kNoControlId, 1)); }

void SwitchPage(SheetModel& sheet, SheetFocus& focus, int index) {
  sheet.SetActivePage(index);
  focus.in_frame = false;
  SettleSheetFocus(sheet, focus);
}

}  // namespace

int NextFocus(const WindowModel& window, int from, int step) {
  const std::vector<TabStop> stops = TabStops(window);
  const int count = static_cast<int>(stops.size());
  if (count == 0) return kNoControlId;
  int at = StopOf(window, stops, from);
  if (at < 0) at = step > 0 ? -1 : count;
  return stops[static_cast<std::size_t>(Wrap(at + step, count))].id;
}

int EnterCommand(const WindowModel& window) {
  const ControlState* focused = window.Find(window.focus());
  if (focused && IsPushButton(focused->kind) && window.IsUsable(focused->id)) return focused->id;
  return DefaultCommand(window);
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
    case KeyCode::kAlt:
      return MnemonicKey(window, handler, key.character);
    default:
      return KeyOutcome::kIgnored;
  }
}

KeyOutcome ClickControl(WindowModel& window, DialogHandler& handler, const HitTarget& hit) {
  const ControlState* control = window.Find(hit.id);
  if (!control || !CanFocus(*control)) return KeyOutcome::kIgnored;
  switch (control->kind) {
    case ControlKind::kEdit:
      window.SetFocus(hit.id);
      return KeyOutcome::kHandled;
    case ControlKind::kComboBox: {
      window.SetFocus(hit.id);
      // The "<" and ">" at its ends step the selection.
      const int width = ControlCells(*control).width;
      if (hit.column <= 1) return ComboKey(window, handler, *control, KeyCode::kLeft);
      if (hit.column >= width - 2) return ComboKey(window, handler, *control, KeyCode::kRight);
      return KeyOutcome::kHandled;
    }
    case ControlKind::kTrackbar: {
      window.SetFocus(hit.id);
      const int width = ControlCells(*control).width;
      Slide(window, handler, *control,
            PositionAtColumn(control->low, control->high, hit.column, width));
      return KeyOutcome::kHandled;
    }
    default:
      Click(window, handler, hit.id);
      return KeyOutcome::kHandled;
  }
}

char TabLetter(std::string_view title) {
  const std::size_t amp = title.find('&');
  if (amp != std::string_view::npos && amp + 1 < title.size()) return Lower(title[amp + 1]);
  return title.empty() ? '\0' : Lower(title.front());
}

int PageForLetter(const SheetModel& sheet, char letter, int from) {
  const int count = sheet.page_count();
  for (int n = 1; n <= count; ++n) {
    const int page = Wrap(from + n, count);
    if (TabLetter(sheet.PageTitle(page)) == Lower(letter)) return page;
  }
  return -1;
}

void SettleSheetFocus(SheetModel& sheet, SheetFocus& focus) {
  WindowModel* page = sheet.ActiveWindow();
  WindowModel& frame = sheet.frame();
  if (!focus.in_frame && page) {
    if (!FocusUsable(*page)) FocusFirstStop(*page);
    if (FocusUsable(*page)) return;
  }
  if (!FocusUsable(frame)) FocusFirstStop(frame);
  focus.in_frame = FocusUsable(frame) || !page;
  if (!focus.in_frame && page) FocusFirstStop(*page);
}

KeyOutcome HandleSheetKey(SheetModel& sheet, SheetFocus& focus, const KeyPress& key) {
  WindowModel& frame = sheet.frame();
  SheetFrameHandler frame_handler(sheet);
  WindowModel* page = sheet.ActiveWindow();
  DialogHandler* page_handler = sheet.ActiveHandler();
  const bool on_page = !focus.in_frame && page && page_handler;
  WindowModel& window = on_page ? *page : frame;
  DialogHandler& handler = on_page ? *page_handler : frame_handler;
  const int count = sheet.page_count();
  switch (key.code) {
    case KeyCode::kCtrlPageUp:
    case KeyCode::kCtrlPageDown:
      if (count == 0) return KeyOutcome::kIgnored;
      SwitchPage(sheet, focus,
                 Wrap(sheet.active() + (key.code == KeyCode::kCtrlPageUp ? -1 : 1), count));
      return KeyOutcome::kHandled;
    case KeyCode::kTab:
    case KeyCode::kBackTab: {
      // One round: the page's stops, then the frame's.
      const int step = key.code == KeyCode::kTab ? 1 : -1;
      std::vector<std::pair<WindowModel*, int>> round;
      if (page) {
        for (const TabStop& stop : TabStops(*page)) round.emplace_back(page, stop.id);
      }
      for (const TabStop& stop : TabStops(frame)) round.emplace_back(&frame, stop.id);
      if (round.empty()) return KeyOutcome::kHandled;
      int at = -1;
      const std::vector<TabStop> stops = TabStops(window);
      const int in_window = StopOf(window, stops, window.focus());
      if (in_window >= 0) {
        at = in_window + (on_page || !page ? 0 : static_cast<int>(TabStops(*page).size()));
      }
      if (at < 0) at = step > 0 ? -1 : static_cast<int>(round.size());
      const auto& [next_window, next_id] =
          round[static_cast<std::size_t>(Wrap(at + step, static_cast<int>(round.size())))];
      next_window->SetFocus(next_id);
      focus.in_frame = next_window == &frame;
      return KeyOutcome::kHandled;
    }
    case KeyCode::kEnter: {
      const ControlState* focused = window.Find(window.focus());
      if (focused && IsPushButton(focused->kind) && window.IsUsable(focused->id)) {
        handler.OnCommand(window, focused->id, kBnClicked);
      } else {
        frame_handler.OnCommand(frame, DefaultCommand(frame), kBnClicked);
      }
      return KeyOutcome::kHandled;
    }
    case KeyCode::kEscape:
      sheet.handler().OnCancel(sheet);
      return KeyOutcome::kHandled;
    case KeyCode::kMenu:
      return KeyOutcome::kOpenSystemMenu;
    case KeyCode::kAlt: {
      if (page && page_handler &&
          MnemonicKey(*page, *page_handler, key.character) == KeyOutcome::kHandled) {
        focus.in_frame = false;
        return KeyOutcome::kHandled;
      }
      if (MnemonicKey(frame, frame_handler, key.character) == KeyOutcome::kHandled) {
        focus.in_frame = true;
        return KeyOutcome::kHandled;
      }
      const int target = PageForLetter(sheet, key.character, sheet.active());
      if (target < 0) return KeyOutcome::kIgnored;
      SwitchPage(sheet, focus, target);
      return KeyOutcome::kHandled;
    }
    default:
      return HandleDialogKey(window, handler, key);
  }
}

KeyOutcome ClickSheet(SheetModel& sheet, SheetFocus& focus, const HitTarget& hit) {
  switch (hit.kind) {
    case HitTarget::Kind::kTab:
      SwitchPage(sheet, focus, hit.id);
      return KeyOutcome::kHandled;
    case HitTarget::Kind::kPageControl: {
      WindowModel* page = sheet.ActiveWindow();
      DialogHandler* handler = sheet.ActiveHandler();
      if (!page || !handler) return KeyOutcome::kIgnored;
      const KeyOutcome outcome = ClickControl(*page, *handler, hit);
      if (outcome == KeyOutcome::kHandled) focus.in_frame = false;
      return outcome;
    }
    case HitTarget::Kind::kFrameControl: {
      SheetFrameHandler frame_handler(sheet);
      const KeyOutcome outcome = ClickControl(sheet.frame(), frame_handler, hit);
      if (outcome == KeyOutcome::kHandled) focus.in_frame = true;
      return outcome;
    }
    default:
      return KeyOutcome::kIgnored;
  }
}

}  // namespace tunora::sim
