// Drawing for the terminal UI, on the current curses screen. Only the
// terminal UI's own files include this (and curses).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/ui/terminal_layout.h"
#include "sim/ui/window_model.h"

namespace tunora::sim {

// A dialog in its frame: border, title, the system-menu mark, controls.
void DrawDialog(const WindowModel& window, const CellRect& frame);

void DrawMessageBox(const MessageBoxLayout& layout, std::string_view caption, int focused_button);

// A small list below the top-left corner of `owner`; the chosen line is
// shown reversed.
void DrawMenu(const std::vector<std::string>& entries, int selected, const CellRect& owner);

// The bottom line: what the program last did and the keys.
void DrawStatusLine(std::string_view status, std::string_view keys);

}  // namespace tunora::sim
