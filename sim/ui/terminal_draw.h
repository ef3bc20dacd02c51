// Drawing for the terminal UI, on the current curses screen. Only the
// terminal UI's own files include this (and curses). `unicode`: box
// drawing and block characters (a UTF-8 locale), else ASCII.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "automation/sheet_model.h"
#include "automation/window_model.h"
#include "sim/ui/terminal_keys.h"
#include "sim/ui/terminal_layout.h"

namespace tunora::sim {

// A dialog in its frame: border, title, the system-menu mark, controls.
// `focused`: it is the top window, so its focused control is shown.
void DrawDialog(const WindowModel& window, const CellRect& frame, bool focused, bool unicode);

// A sheet: frame and caption, the tabs with the active one joined to the
// page's box, the active page, the frame's buttons.
void DrawSheet(const SheetModel& sheet, const SheetLayout& layout, const SheetFocus& focus,
               bool focused, bool unicode);

void DrawMessageBox(const MessageBoxLayout& layout, std::string_view caption, int focused_button,
                    bool unicode);

// A small list below the top-left corner of `owner`; the chosen line is
// shown reversed.
void DrawMenu(const std::vector<std::string>& entries, int selected, const CellRect& owner,
              bool unicode);

// The bottom line: what the program last did (in bold while `busy`) and
// the keys.
void DrawStatusLine(std::string_view status, std::string_view keys, bool busy);

// Instead of windows that do not fit: what size the screen needs.
void DrawTooSmall(int columns, int lines);

}  // namespace tunora::sim
