// Where the terminal UI puts things: dialog units to character cells,
// window frames centred on the screen, wrapped and aligned text, message
// box layout, bar positions. Pure arithmetic, so it is tested without a
// terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunora::sim {

// One cell is 4 dialog units wide and 8 high.
inline constexpr int kDialogUnitsPerColumn = 4;
inline constexpr int kDialogUnitsPerRow = 8;

struct CellRect {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const CellRect&) const = default;
};

// A control's cells relative to the dialog's client area; never narrower
// or lower than one cell.
CellRect DialogUnitsToCells(int x, int y, int width, int height);

// The outer frame (border included) of a client area of `columns` x `rows`
// cells, centred on a screen of screen_columns x screen_rows, never left of
// or above the screen's corner.
CellRect CentredFrame(int columns, int rows, int screen_columns, int screen_rows);

// A dialog's outer frame: its client area in cells plus the border.
CellRect DialogFrame(int width_units, int height_units, int screen_columns, int screen_rows);

// Splits at '\n' and wraps words at `width` columns; words longer than the
// width are cut.
std::vector<std::string> WrapText(std::string_view text, int width);

enum class Align { kLeft, kCentre, kRight };

// The line padded (or cut) to exactly `width` columns.
std::string AlignText(std::string_view line, int width, Align align);

// Menu and button texts without their '&' mnemonic markers ("&&" is '&').
std::string StripMnemonic(std::string_view text);

// The column of a trackbar's thumb within `width` cells, and how many
// cells of a progress bar are filled.
int ThumbColumn(int low, int high, int position, int width);
int FilledCells(int low, int high, int position, int width);

// The text of a message-box button: "OK", "Cancel", "Yes", "No", ...
std::string_view MessageBoxButtonText(int result);

struct MessageBoxLayout {
  CellRect frame;                  // border included
  std::string icon;                // "(!)", "(?)", "(i)", "(x)" or ""
  int icon_x = 0;                  // absolute columns and rows
  std::vector<std::string> lines;  // the wrapped text
  int text_x = 0, text_y = 0;
  std::vector<int> buttons;         // result ids, left to right
  std::vector<std::string> labels;  // "[ OK ]"
  std::vector<int> button_x;
  int button_y = 0;
};

MessageBoxLayout LayoutMessageBox(std::string_view text, std::string_view caption,
                                  std::uint32_t type, int screen_columns, int screen_rows);

}  // namespace tunora::sim
