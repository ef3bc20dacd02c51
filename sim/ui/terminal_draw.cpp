#include "sim/ui/terminal_draw.h"

#include <curses.h>

#include <algorithm>

namespace tunora::sim {
namespace {

bool Inside(const CellRect& clip, int y, int x) {
  return y >= clip.y && y < clip.y + clip.height && x >= clip.x && x < clip.x + clip.width;
}

void PutChar(const CellRect& clip, int y, int x, chtype ch) {
  if (Inside(clip, y, x)) mvaddch(y, x, ch);
}

void Put(const CellRect& clip, int y, int x, std::string_view text, chtype attr = A_NORMAL) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    PutChar(clip, y, x + static_cast<int>(i), static_cast<unsigned char>(text[i]) | attr);
  }
}

void Fill(const CellRect& clip, const CellRect& area, chtype ch) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) PutChar(clip, y, x, ch);
  }
}

void Border(const CellRect& clip, const CellRect& r, chtype attr = A_NORMAL) {
  const int right = r.x + r.width - 1;
  const int bottom = r.y + r.height - 1;
  for (int x = r.x + 1; x < right; ++x) {
    PutChar(clip, r.y, x, ACS_HLINE | attr);
    PutChar(clip, bottom, x, ACS_HLINE | attr);
  }
  for (int y = r.y + 1; y < bottom; ++y) {
    PutChar(clip, y, r.x, ACS_VLINE | attr);
    PutChar(clip, y, right, ACS_VLINE | attr);
  }
  PutChar(clip, r.y, r.x, ACS_ULCORNER | attr);
  PutChar(clip, r.y, right, ACS_URCORNER | attr);
  PutChar(clip, bottom, r.x, ACS_LLCORNER | attr);
  PutChar(clip, bottom, right, ACS_LRCORNER | attr);
}

CellRect Screen() { return CellRect{0, 0, COLS, LINES}; }

// An empty bordered box with its caption centred in the top line.
void Window(const CellRect& frame, std::string_view caption) {
  const CellRect screen = Screen();
  Fill(screen, frame, ' ');
  Border(screen, frame);
  const std::string title = " " + std::string(caption) + " ";
  const int room = std::max(0, frame.width - 4);
  const std::string shown = title.substr(0, static_cast<std::size_t>(room));
  Put(screen, frame.y, frame.x + (frame.width - static_cast<int>(shown.size())) / 2, shown, A_BOLD);
}

Align AlignOf(const ControlState& control) {
  if (control.style & kStyleCentered) return Align::kCentre;
  if (control.style & kStyleRight) return Align::kRight;
  return Align::kLeft;
}

void DrawStatic(const CellRect& clip, const ControlState& control, const CellRect& r, chtype attr) {
  if (control.style & kStyleSunken) attr |= A_UNDERLINE;
  const std::vector<std::string> lines = WrapText(control.text, r.width);
  const int shown = std::min(r.height, static_cast<int>(lines.size()));
  for (int i = 0; i < shown; ++i) {
    Put(clip, r.y + i, r.x,
        AlignText(lines[static_cast<std::size_t>(i)], r.width, AlignOf(control)), attr);
  }
}

void DrawGroup(const CellRect& clip, const ControlState& control, const CellRect& r, chtype attr) {
  Border(clip, r, attr);
  if (!control.text.empty() && r.width > 4) {
    // The caption sits between the corners, padded with a space on each
    // side when there is room for it.
    const auto room = static_cast<std::size_t>(r.width - 2);
    std::string caption = StripMnemonic(control.text);
    if (caption.size() + 2 <= room) caption = " " + caption + " ";
    Put(clip, r.y, r.x + 1, caption.substr(0, room), attr);
  }
}

void DrawField(const CellRect& clip, const ControlState& control, const CellRect& r, chtype attr,
               bool focused) {
  const auto width = static_cast<std::size_t>(r.width);
  std::string text = control.text;
  if (text.size() >= width) text = text.substr(text.size() - width + 1);  // keep the end in view
  Put(clip, r.y, r.x, AlignText(text, r.width, Align::kLeft),
      attr | (focused ? A_REVERSE : A_UNDERLINE));
}

void DrawCombo(const CellRect& clip, const ControlState& control, const CellRect& r, chtype attr,
               bool focused) {
  const std::string line =
      r.width < 5 ? control.text : "< " + AlignText(control.text, r.width - 4, Align::kLeft) + " >";
  Put(clip, r.y, r.x, line, attr | (focused ? A_REVERSE : A_NORMAL));
}

void DrawTrackbar(const CellRect& clip, const ControlState& control, const CellRect& r, chtype attr,
                  bool focused) {
  for (int x = 0; x < r.width; ++x) PutChar(clip, r.y, r.x + x, ACS_HLINE | attr);
  const int thumb = ThumbColumn(control.low, control.high, control.position, r.width);
  PutChar(clip, r.y, r.x + thumb, ACS_BLOCK | attr | (focused ? A_REVERSE : A_BOLD));
}

void DrawProgress(const CellRect& clip, const ControlState& control, const CellRect& r,
                  chtype attr) {
  const int filled = FilledCells(control.low, control.high, control.position, r.width);
  for (int x = 0; x < r.width; ++x) {
    PutChar(clip, r.y, r.x + x, x < filled ? (' ' | A_REVERSE | attr) : ('.' | attr));
  }
}

void DrawControl(const CellRect& client, const WindowModel& window, const ControlState& control) {
  CellRect r = DialogUnitsToCells(control.x, control.y, control.width, control.height);
  r.x += client.x;
  r.y += client.y;
  const bool focused = control.id != kNoControlId && control.id == window.focus();
  const chtype attr = control.enabled ? A_NORMAL : A_DIM;
  const std::string text = StripMnemonic(control.text);
  switch (control.kind) {
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
      const bool is_default = control.id == window.default_button();
      Put(client, r.y, r.x, AlignText("[ " + text + " ]", r.width, Align::kCentre),
          attr | (focused ? A_REVERSE : A_NORMAL) | (is_default ? A_BOLD : A_NORMAL));
      break;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      const bool radio = control.kind == ControlKind::kRadioButton;
      const std::string mark =
          radio ? (control.checked ? "(o) " : "( ) ") : (control.checked ? "[x] " : "[ ] ");
      Put(client, r.y, r.x, AlignText(mark + text, r.width, Align::kLeft),
          attr | (focused ? A_REVERSE : A_NORMAL));
      break;
    }
    case ControlKind::kGroupBox:
      DrawGroup(client, control, r, attr);
      break;
    case ControlKind::kStatic:
      DrawStatic(client, control, r, attr);
      break;
    case ControlKind::kPicture:
      Fill(client, r, ACS_CKBOARD | A_DIM);
      break;
    case ControlKind::kEdit:
      DrawField(client, control, r, attr, focused);
      break;
    case ControlKind::kComboBox:
      DrawCombo(client, control, r, attr, focused);
      break;
    case ControlKind::kTrackbar:
      DrawTrackbar(client, control, r, attr, focused);
      break;
    case ControlKind::kProgress:
      DrawProgress(client, control, r, attr);
      break;
  }
}

bool DrawnFirst(ControlKind kind) {
  return kind == ControlKind::kGroupBox || kind == ControlKind::kPicture;
}

}  // namespace

void DrawDialog(const WindowModel& window, const CellRect& frame) {
  Window(frame, window.title());
  if (!window.system_menu().empty()) Put(Screen(), frame.y, frame.x + 1, "[-]");
  const CellRect client{frame.x + 1, frame.y + 1, frame.width - 2, frame.height - 2};
  // Frames and pictures go under the controls drawn inside them.
  for (const bool first : {true, false}) {
    for (const ControlState& control : window.controls()) {
      if (control.visible && DrawnFirst(control.kind) == first) {
        DrawControl(client, window, control);
      }
    }
  }
}

void DrawMessageBox(const MessageBoxLayout& layout, std::string_view caption, int focused_button) {
  const CellRect screen = Screen();
  Window(layout.frame, caption);
  if (!layout.icon.empty()) Put(screen, layout.text_y, layout.icon_x, layout.icon, A_BOLD);
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    Put(screen, layout.text_y + static_cast<int>(i), layout.text_x, layout.lines[i]);
  }
  for (std::size_t i = 0; i < layout.labels.size(); ++i) {
    const bool focused = static_cast<int>(i) == focused_button;
    Put(screen, layout.button_y, layout.button_x[i], layout.labels[i],
        focused ? A_REVERSE | A_BOLD : A_NORMAL);
  }
}

void DrawMenu(const std::vector<std::string>& entries, int selected, const CellRect& owner) {
  int width = 0;
  for (const std::string& entry : entries) width = std::max(width, static_cast<int>(entry.size()));
  const CellRect frame{owner.x + 1, owner.y + 1, width + 4, static_cast<int>(entries.size()) + 2};
  const CellRect screen = Screen();
  Fill(screen, frame, ' ');
  Border(screen, frame);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int y = frame.y + 1 + static_cast<int>(i);
    if (entries[i].empty()) {  // separator
      for (int x = frame.x + 1; x < frame.x + frame.width - 1; ++x)
        PutChar(screen, y, x, ACS_HLINE);
      continue;
    }
    const bool chosen = static_cast<int>(i) == selected;
    Put(screen, y, frame.x + 1, " " + AlignText(entries[i], width, Align::kLeft) + " ",
        chosen ? A_REVERSE : A_NORMAL);
  }
}

void DrawStatusLine(std::string_view status, std::string_view keys) {
  const CellRect screen = Screen();
  const int y = LINES - 1;
  const int keys_width = std::min(COLS, static_cast<int>(keys.size()));
  Put(screen, y, 0, AlignText(status, COLS - keys_width, Align::kLeft), A_REVERSE);
  Put(screen, y, COLS - keys_width, keys.substr(0, static_cast<std::size_t>(keys_width)),
      A_REVERSE);
}

}  // namespace tunora::sim
