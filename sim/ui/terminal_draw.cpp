#include "sim/ui/terminal_draw.h"

#include <curses.h>

#include <algorithm>
#include <cctype>

#include "sim/ui/terminal_picture.h"

namespace tunora::sim {
namespace {

// The screen drawn on: where drawing is clipped and which characters
// draw lines.
struct Canvas {
  CellRect clip;
  bool unicode;

  void Cell(int y, int x, wchar_t ch, attr_t attr = A_NORMAL) const {
    if (y < clip.y || y >= clip.y + clip.height || x < clip.x || x >= clip.x + clip.width) return;
    const wchar_t text[2] = {ch, L'\0'};
    cchar_t cell;
    setcchar(&cell, text, attr, 0, nullptr);
    mvadd_wch(y, x, &cell);
  }
  void Line(int y, int x, Glyph glyph, attr_t attr = A_NORMAL) const {
    Cell(y, x, GlyphChar(glyph, unicode), attr);
  }
  // The program's texts are in the Windows code page; its Latin-1 part
  // shows as itself on a Unicode screen, the rest as '?'.
  void Text(int y, int x, std::string_view text, attr_t attr = A_NORMAL) const {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const auto byte = static_cast<unsigned char>(text[i]);
      const bool shown = byte < 0x80 || (unicode && byte >= 0xA0);
      Cell(y, x + static_cast<int>(i), shown ? static_cast<wchar_t>(byte) : L'?', attr);
    }
  }
  void Fill(const CellRect& area, wchar_t ch, attr_t attr = A_NORMAL) const {
    for (int y = area.y; y < area.y + area.height; ++y) {
      for (int x = area.x; x < area.x + area.width; ++x) Cell(y, x, ch, attr);
    }
  }
  void Border(const CellRect& r, attr_t attr = A_NORMAL) const {
    const int right = r.x + r.width - 1;
    const int bottom = r.y + r.height - 1;
    for (int x = r.x + 1; x < right; ++x) {
      Line(r.y, x, Glyph::kHorizontal, attr);
      Line(bottom, x, Glyph::kHorizontal, attr);
    }
    for (int y = r.y + 1; y < bottom; ++y) {
      Line(y, r.x, Glyph::kVertical, attr);
      Line(y, right, Glyph::kVertical, attr);
    }
    Line(r.y, r.x, Glyph::kTopLeft, attr);
    Line(r.y, right, Glyph::kTopRight, attr);
    Line(bottom, r.x, Glyph::kBottomLeft, attr);
    Line(bottom, right, Glyph::kBottomRight, attr);
  }
};

Canvas Screen(bool unicode) { return Canvas{CellRect{0, 0, COLS, LINES}, unicode}; }

// An empty bordered box with its caption centred in the top line.
void Window(const Canvas& screen, const CellRect& frame, std::string_view caption) {
  screen.Fill(frame, L' ');
  screen.Border(frame);
  const std::string title = " " + std::string(caption) + " ";
  const int room = std::max(0, frame.width - 4);
  const std::string shown = title.substr(0, static_cast<std::size_t>(room));
  screen.Text(frame.y, frame.x + (frame.width - static_cast<int>(shown.size())) / 2, shown, A_BOLD);
}

Align AlignOf(const ControlState& control) {
  if (control.style & kStyleCentered) return Align::kCentre;
  if (control.style & kStyleRight) return Align::kRight;
  return Align::kLeft;
}

void DrawStatic(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr) {
  // A sunken static is a field, underlined across its width; a plain one
  // leaves what lies under its blanks (a group's edge) in view.
  const bool sunken = (control.style & kStyleSunken) != 0;
  if (sunken) attr |= A_UNDERLINE;
  const std::vector<std::string> lines = WrapText(control.text, r.width);
  const int shown = std::min(r.height, static_cast<int>(lines.size()));
  for (int i = 0; i < shown; ++i) {
    const std::string line =
        AlignText(lines[static_cast<std::size_t>(i)], r.width, AlignOf(control));
    for (std::size_t x = 0; x < line.size(); ++x) {
      if (sunken || line[x] != ' ')
        c.Text(r.y + i, r.x + static_cast<int>(x), line.substr(x, 1), attr);
    }
  }
}

void DrawGroup(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr) {
  c.Border(r, attr);
  if (!control.text.empty() && r.width > 4) {
    // The caption sits between the corners, padded with a space on each
    // side when there is room for it.
    const auto room = static_cast<std::size_t>(r.width - 2);
    std::string caption = StripMnemonic(control.text);
    if (caption.size() + 2 <= room) caption = " " + caption + " ";
    c.Text(r.y, r.x + 1, caption.substr(0, room), attr);
  }
}

void DrawPicture(const Canvas& c, const ControlState& control, const CellRect& r) {
  const std::vector<std::wstring> rows = PictureCells(control.text, r.width, r.height, c.unicode);
  for (std::size_t y = 0; y < rows.size(); ++y) {
    for (std::size_t x = 0; x < rows[y].size(); ++x) {
      const wchar_t ch = rows[y][x];
      const bool letter = ch < 0x80 && std::isalpha(static_cast<int>(ch));
      c.Cell(r.y + static_cast<int>(y), r.x + static_cast<int>(x), ch, letter ? A_BOLD : A_NORMAL);
    }
  }
}

void DrawField(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr,
               bool focused) {
  const auto width = static_cast<std::size_t>(r.width);
  std::string text = control.text;
  if (text.size() >= width) text = text.substr(text.size() - width + 1);  // keep the end in view
  c.Text(r.y, r.x, AlignText(text, r.width, Align::kLeft),
         attr | (focused ? A_REVERSE : A_UNDERLINE));
}

void DrawCombo(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr,
               bool focused) {
  const std::string line =
      r.width < 5 ? control.text : "< " + AlignText(control.text, r.width - 4, Align::kLeft) + " >";
  c.Text(r.y, r.x, line, attr | (focused ? A_REVERSE : A_NORMAL));
}

void DrawTrackbar(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr,
                  bool focused) {
  for (int x = 0; x < r.width; ++x) c.Line(r.y, r.x + x, Glyph::kHorizontal, attr);
  const int thumb = ThumbColumn(control.low, control.high, control.position, r.width);
  c.Line(r.y, r.x + thumb, Glyph::kFullBlock, attr | (focused ? A_REVERSE : A_BOLD));
}

void DrawProgress(const Canvas& c, const ControlState& control, const CellRect& r, attr_t attr) {
  const int filled = FilledCells(control.low, control.high, control.position, r.width);
  for (int x = 0; x < r.width; ++x) {
    if (x < filled) {
      c.Line(r.y, r.x + x, Glyph::kFullBlock, attr);
    } else {
      c.Line(r.y, r.x + x, Glyph::kLightShade, attr);
    }
  }
}

// `r`: the control's cells on the screen; `show_focus`: its window has the
// keyboard focus.
void DrawControl(const Canvas& c, const WindowModel& window, const ControlState& control,
                 const CellRect& r, bool show_focus) {
  const bool focused = show_focus && control.id != kNoControlId && control.id == window.focus();
  const attr_t attr = control.enabled ? A_NORMAL : A_DIM;
  const std::string text = StripMnemonic(control.text);
  switch (control.kind) {
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton: {
      const bool is_default = control.id == window.default_button();
      const std::string face = ButtonFace(text, r.width);
      c.Text(r.y, r.x + (r.width - static_cast<int>(face.size())) / 2, face,
             attr | (focused ? A_REVERSE : A_NORMAL) | (is_default ? A_BOLD : A_NORMAL));
      break;
    }
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton: {
      const bool radio = control.kind == ControlKind::kRadioButton;
      const attr_t face = attr | (focused ? A_REVERSE : A_NORMAL);
      // A Unicode screen draws a radio's circle in one cell, as narrow as
      // the dialog's own, so labels sized for it stay inside their group.
      int x = r.x;
      if (radio && c.unicode) {
        c.Cell(r.y, x++, control.checked ? L'\u25C9' : L'\u25CB', face);  // ◉ ○
        c.Cell(r.y, x++, L' ', face);
      } else {
        c.Text(r.y, x,
               radio ? (control.checked ? "(o) " : "( ) ") : (control.checked ? "[x] " : "[ ] "),
               face);
        x += 4;
      }
      // The mark is wider than the dialog's box, so the label may run past
      // the control's cells (clipped at the window's edge) rather than lose
      // its last word.
      const int room = r.x + r.width - x;
      c.Text(r.y, x, AlignText(text, std::max(room, static_cast<int>(text.size())), Align::kLeft),
             face);
      break;
    }
    case ControlKind::kGroupBox:
      DrawGroup(c, control, r, attr);
      break;
    case ControlKind::kStatic:
      DrawStatic(c, control, r, attr);
      break;
    case ControlKind::kPicture:
      DrawPicture(c, control, r);
      break;
    case ControlKind::kEdit:
      DrawField(c, control, r, attr, focused);
      break;
    case ControlKind::kComboBox:
      DrawCombo(c, control, r, attr, focused);
      break;
    case ControlKind::kTrackbar:
      DrawTrackbar(c, control, r, attr, focused);
      break;
    case ControlKind::kProgress:
      DrawProgress(c, control, r, attr);
      break;
  }
}

bool DrawnFirst(ControlKind kind) {
  return kind == ControlKind::kGroupBox || kind == ControlKind::kPicture;
}

// The window's visible controls in `client`; frames and pictures go under
// the controls drawn inside them.
void DrawControls(const Canvas& c, const WindowModel& window, const CellRect& client,
                  bool show_focus) {
  for (const bool first : {true, false}) {
    for (const ControlState& control : window.controls()) {
      if (!control.visible || DrawnFirst(control.kind) != first) continue;
      CellRect r = ControlCells(control);
      r.x += client.x;
      r.y += client.y;
      DrawControl(c, window, control, r, show_focus);
    }
  }
}

// The tabs' top edges and titles, and the page box's top line opened
// under the active tab.
void DrawTabs(const Canvas& screen, const SheetLayout& layout, int active) {
  const std::size_t count = layout.tabs.size();
  for (std::size_t i = 0; i < count; ++i) {
    const SheetTab& tab = layout.tabs[i];
    const bool is_active = static_cast<int>(i) == active;
    screen.Line(layout.tab_top, tab.left, i == 0 ? Glyph::kTopLeft : Glyph::kTeeDown);
    for (int x = tab.left + 1; x < tab.right; ++x) {
      screen.Line(layout.tab_top, x, Glyph::kHorizontal);
    }
    screen.Line(layout.tab_row, tab.left, Glyph::kVertical);
    screen.Text(layout.tab_row, tab.left + 1, tab.label, is_active ? A_REVERSE | A_BOLD : A_NORMAL);
    // The edges meet the page box's top line.
    const int box_top = layout.page_box.y;
    const bool box_left = tab.left == layout.page_box.x;
    // Tabs that fill the width end on the box's right edge.
    const bool box_right = tab.right == layout.page_box.x + layout.page_box.width - 1;
    if (is_active) {
      for (int x = tab.left + 1; x < tab.right; ++x) screen.Cell(box_top, x, L' ');
      screen.Line(box_top, tab.left, box_left ? Glyph::kVertical : Glyph::kBottomRight);
      screen.Line(box_top, tab.right, box_right ? Glyph::kVertical : Glyph::kBottomLeft);
    } else {
      if (static_cast<int>(i) != active + 1 || active < 0) {
        screen.Line(box_top, tab.left, box_left ? Glyph::kTeeRight : Glyph::kTeeUp);
      }
      if (i + 1 == count)
        screen.Line(box_top, tab.right, box_right ? Glyph::kTeeLeft : Glyph::kTeeUp);
    }
  }
  if (count > 0) {
    screen.Line(layout.tab_top, layout.tabs.back().right, Glyph::kTopRight);
    screen.Line(layout.tab_row, layout.tabs.back().right, Glyph::kVertical);
  }
}

}  // namespace

void DrawDialog(const WindowModel& window, const CellRect& frame, bool focused, bool unicode) {
  const Canvas screen = Screen(unicode);
  Window(screen, frame, window.title());
  if (!window.system_menu().empty()) screen.Text(frame.y, frame.x + 1, "[-]");
  const CellRect client{frame.x + 1, frame.y + 1, frame.width - 2, frame.height - 2};
  DrawControls(Canvas{client, unicode}, window, client, focused);
}

void DrawSheet(const SheetModel& sheet, const SheetLayout& layout, const SheetFocus& focus,
               bool focused, bool unicode) {
  const Canvas screen = Screen(unicode);
  Window(screen, layout.frame, sheet.caption());
  screen.Border(layout.page_box);
  DrawTabs(screen, layout, sheet.active());
  if (const WindowModel* page = sheet.ActiveWindow()) {
    DrawControls(Canvas{layout.page, unicode}, *page, layout.page, focused && !focus.in_frame);
  }
  const WindowModel& frame = sheet.frame();
  const Canvas client{layout.client, unicode};
  for (const ControlState& control : frame.controls()) {
    if (control.visible) {
      DrawControl(client, frame, control, SheetFrameControlCells(layout, control),
                  focused && focus.in_frame);
    }
  }
}

void DrawMessageBox(const MessageBoxLayout& layout, std::string_view caption, int focused_button,
                    bool unicode) {
  const Canvas screen = Screen(unicode);
  Window(screen, layout.frame, caption);
  if (!layout.icon.empty()) screen.Text(layout.text_y, layout.icon_x, layout.icon, A_BOLD);
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    screen.Text(layout.text_y + static_cast<int>(i), layout.text_x, layout.lines[i]);
  }
  for (std::size_t i = 0; i < layout.labels.size(); ++i) {
    const bool focused = static_cast<int>(i) == focused_button;
    screen.Text(layout.button_y, layout.button_x[i], layout.labels[i],
                focused ? A_REVERSE | A_BOLD : A_NORMAL);
  }
}

void DrawMenu(const std::vector<std::string>& entries, int selected, const CellRect& owner,
              bool unicode) {
  int width = 0;
  for (const std::string& entry : entries) width = std::max(width, static_cast<int>(entry.size()));
  const CellRect frame{owner.x + 1, owner.y + 1, width + 4, static_cast<int>(entries.size()) + 2};
  const Canvas screen = Screen(unicode);
  screen.Fill(frame, L' ');
  screen.Border(frame);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int y = frame.y + 1 + static_cast<int>(i);
    if (entries[i].empty()) {  // separator
      screen.Line(y, frame.x, Glyph::kTeeRight);
      for (int x = frame.x + 1; x < frame.x + frame.width - 1; ++x) {
        screen.Line(y, x, Glyph::kHorizontal);
      }
      screen.Line(y, frame.x + frame.width - 1, Glyph::kTeeLeft);
      continue;
    }
    const bool chosen = static_cast<int>(i) == selected;
    screen.Text(y, frame.x + 1, " " + AlignText(entries[i], width, Align::kLeft) + " ",
                chosen ? A_REVERSE : A_NORMAL);
  }
}

void DrawStatusLine(std::string_view status, std::string_view keys, bool busy) {
  const Canvas screen = Screen(false);
  const int y = LINES - 1;
  const int keys_width = std::min(COLS, static_cast<int>(keys.size()));
  screen.Text(y, 0, AlignText(status, COLS - keys_width, Align::kLeft),
              A_REVERSE | (busy ? A_BOLD : A_NORMAL));
  screen.Text(y, COLS - keys_width, keys.substr(0, static_cast<std::size_t>(keys_width)),
              A_REVERSE);
}

void DrawTooSmall(int columns, int lines) {
  const Canvas screen = Screen(false);
  const std::string text = "The terminal is too small for this window. Enlarge it to at least " +
                           std::to_string(columns) + " x " + std::to_string(lines) + " (now " +
                           std::to_string(COLS) + " x " + std::to_string(LINES) + ").";
  const std::vector<std::string> wrapped = WrapText(text, std::max(1, COLS - 2));
  const int top = std::max(0, (LINES - static_cast<int>(wrapped.size())) / 2);
  for (std::size_t i = 0; i < wrapped.size(); ++i) {
    screen.Text(top + static_cast<int>(i), 1, wrapped[i], A_BOLD);
  }
}

}  // namespace tunora::sim
