// Where the terminal UI puts things: dialog units to character cells,
// window frames centred on the screen, wrapped and aligned text, message
// box and property sheet layout, bar positions, mouse hit-testing. Pure arithmetic, so it is tested
// without a terminal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/sheet_model.h"
#include "automation/window_model.h"

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

// The cells a control is drawn in, relative to its window's client area:
// one row for the single-line kinds (buttons, boxes, edits, combos, bars).
CellRect ControlCells(const ControlState& control);

// The wait line: the seconds waited, or, when the wait's length is known
// (milliseconds, 0 = not known), the seconds left, never below 0.
std::string WaitLineText(long long waited_seconds, std::uint32_t expected_ms);

// A push button's face, at most `width` columns: "[ Text ]", else "[Text]"
// when the padded one does not fit, else the text cut to the width.
std::string ButtonFace(std::string_view text, int width);

// The trackbar position under column `column` of a bar `width` cells wide;
// the inverse of ThumbColumn.
int PositionAtColumn(int low, int high, int column, int width);

// A property sheet on the screen. The tabs take two rows (their top edges,
// then their titles), the page sits in a box joined to the active tab, the
// frame's buttons take the row under the box. All cells are absolute.
struct SheetTab {
  int left = 0;  // the tab's left edge; the next tab's left edge is its right one
  int right = 0;
  std::string label;  // the title as shown between the edges
};

struct SheetLayout {
  CellRect frame;  // border included
  CellRect client;
  int tab_top = 0, tab_row = 0;  // rows of the tabs' top edges and of their titles
  std::vector<SheetTab> tabs;
  CellRect page_box;  // border of the page
  CellRect page;      // the page's client area: its controls are placed from here
  int button_row = 0;
};

// `titles` of the tabs; the page's and the frame's size in dialog units.
SheetLayout LayoutSheet(const std::vector<std::string>& titles, int page_width_units,
                        int page_height_units, int frame_width_units, int screen_columns,
                        int screen_rows);
SheetLayout LayoutSheet(const SheetModel& sheet, int screen_columns, int screen_rows);

// Where a frame control of the sheet is drawn: its column from its dialog
// units, its row the button row.
CellRect SheetFrameControlCells(const SheetLayout& layout, const ControlState& control);

// What a mouse click at (column, row) lands on.
struct HitTarget {
  enum class Kind { kNone, kTab, kPageControl, kFrameControl, kControl };
  Kind kind = Kind::kNone;
  int id = kNoControlId;  // controls: the id; tabs: the page index
  int column = 0;         // within the control's cells
  bool operator==(const HitTarget&) const = default;
};

// A click in a dialog whose client area starts at `client`: the visible
// control with an id under it (kControl); the last control listed wins, as
// later windows lie on top.
HitTarget HitTestDialog(const WindowModel& window, const CellRect& client, int column, int row);
// A click in a sheet: a tab, a control of the active page or of the frame.
HitTarget HitTestSheet(const SheetModel& sheet, const SheetLayout& layout, int column, int row);

// True when `frame` and the status line under it fit the screen.
bool FitsScreen(const CellRect& frame, int screen_columns, int screen_lines);

}  // namespace tunora::sim
