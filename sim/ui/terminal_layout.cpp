#include "sim/ui/terminal_layout.h"

#include <algorithm>

#include "automation/message_box_rules.h"
#include "platform/ui.h"
#include "sim/ui/scripted_ui.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t kMbIconMask = 0xF0;
constexpr int kMessageTextWidth = 60;  // wider texts wrap, as Windows does
constexpr int kButtonGap = 2;

int Length(std::string_view text) { return static_cast<int>(text.size()); }

std::string_view MessageIcon(std::uint32_t type) {
  switch (type & kMbIconMask) {
    case kMbIconError:
      return "(x)";
    case kMbIconQuestion:
      return "(?)";
    case kMbIconWarning:
      return "(!)";
    case kMbIconInformation:
      return "(i)";
    default:
      return "";
  }
}

// Breaks at the last space that fits; spaces inside a line stay as they are.
void WrapParagraph(std::string_view rest, int width, std::vector<std::string>& lines) {
  const auto columns = static_cast<std::size_t>(width);
  while (rest.size() > columns) {
    const std::size_t cut = rest.rfind(' ', columns);
    if (cut == std::string_view::npos || cut == 0) {  // one word wider than the line
      lines.emplace_back(rest.substr(0, columns));
      rest.remove_prefix(columns);
      continue;
    }
    lines.emplace_back(rest.substr(0, cut));
    rest.remove_prefix(cut + 1);
  }
  lines.emplace_back(rest);
}

}  // namespace

CellRect DialogUnitsToCells(int x, int y, int width, int height) {
  // Each edge to its nearest cell boundary, so that controls that touch in
  // dialog units touch in cells and do not overlap.
  auto column = [](int units) {
    return (units + kDialogUnitsPerColumn / 2) / kDialogUnitsPerColumn;
  };
  auto row = [](int units) { return (units + kDialogUnitsPerRow / 2) / kDialogUnitsPerRow; };
  const int left = column(x), top = row(y);
  return CellRect{left, top, std::max(1, column(x + width) - left),
                  std::max(1, row(y + height) - top)};
}

CellRect CentredFrame(int columns, int rows, int screen_columns, int screen_rows) {
  const int width = columns + 2;
  const int height = rows + 2;
  return CellRect{std::max(0, (screen_columns - width) / 2),
                  std::max(0, (screen_rows - height) / 2), width, height};
}

CellRect DialogFrame(int width_units, int height_units, int screen_columns, int screen_rows) {
  const CellRect client = DialogUnitsToCells(0, 0, width_units, height_units);
  return CentredFrame(client.width, client.height, screen_columns, screen_rows);
}

std::vector<std::string> WrapText(std::string_view text, int width) {
  width = std::max(1, width);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    WrapParagraph(
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start),
        width, lines);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

std::string AlignText(std::string_view line, int width, Align align) {
  width = std::max(0, width);
  if (Length(line) >= width) return std::string(line.substr(0, static_cast<std::size_t>(width)));
  const int spare = width - Length(line);
  const int left = align == Align::kLeft ? 0 : align == Align::kRight ? spare : spare / 2;
  return std::string(static_cast<std::size_t>(left), ' ') + std::string(line) +
         std::string(static_cast<std::size_t>(spare - left), ' ');
}

std::string StripMnemonic(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

int ThumbColumn(int low, int high, int position, int width) {
  if (width <= 1 || high <= low) return 0;
  const long long offset = std::clamp(position, low, high) - static_cast<long long>(low);
  return static_cast<int>(offset * (width - 1) / (static_cast<long long>(high) - low));
}

int FilledCells(int low, int high, int position, int width) {
  if (width <= 0 || high <= low) return 0;
  const long long offset = std::clamp(position, low, high) - static_cast<long long>(low);
  return static_cast<int>(offset * width / (static_cast<long long>(high) - low));
}

std::string_view MessageBoxButtonText(int result) {
  switch (result) {
    case kIdOk:
      return "OK";
    case kIdCancel:
      return "Cancel";
    case 3:
      return "Abort";
    case 4:
      return "Retry";
    case 5:
      return "Ignore";
    case kIdYes:
      return "Yes";
    case kIdNo:
      return "No";
    default:
      return "?";
  }
}

MessageBoxLayout LayoutMessageBox(std::string_view text, std::string_view caption,
                                  std::uint32_t type, int screen_columns, int screen_rows) {
  MessageBoxLayout layout;
  layout.icon = std::string(MessageIcon(type));
  const int icon_width = layout.icon.empty() ? 0 : Length(layout.icon) + 1;
  const int text_width = std::clamp(screen_columns - 8 - icon_width, 10, kMessageTextWidth);
  layout.lines = WrapText(text, text_width);

  layout.buttons = MessageBoxButtons(type);
  int buttons_width = -kButtonGap;
  for (const int id : layout.buttons) {
    layout.labels.push_back("[ " + std::string(MessageBoxButtonText(id)) + " ]");
    buttons_width += Length(layout.labels.back()) + kButtonGap;
  }
  int longest = 0;
  for (const std::string& line : layout.lines) longest = std::max(longest, Length(line));
  const int content = std::max({icon_width + longest, buttons_width, Length(caption) + 2});

  // Border, a blank column each side; border, blank row, text, blank row,
  // buttons, border.
  const int rows = static_cast<int>(layout.lines.size()) + 3;
  layout.frame = CentredFrame(content + 2, rows, screen_columns, screen_rows);
  layout.icon_x = layout.frame.x + 2;
  layout.text_x = layout.icon_x + icon_width;
  layout.text_y = layout.frame.y + 2;
  layout.button_y = layout.text_y + static_cast<int>(layout.lines.size()) + 1;
  int x = layout.frame.x + 2 + (content - buttons_width) / 2;
  for (const std::string& label : layout.labels) {
    layout.button_x.push_back(x);
    x += Length(label) + kButtonGap;
  }
  return layout;
}

CellRect ControlCells(const ControlState& control) {
  CellRect cells = DialogUnitsToCells(control.x, control.y, control.width, control.height);
  const bool multiline = control.kind == ControlKind::kEdit && (control.style & kStyleMultiline);
  if (IsInteractive(control.kind) && !multiline) cells.height = 1;
  // A one-line label that rounding left a cell short of its text starts
  // at the cell its left edge lies in: Windows draws it from there.
  const int floor_column = control.x / kDialogUnitsPerColumn;
  const bool one_line = (control.style & (kStyleMultiline | kStyleCentered | kStyleRight)) == 0;
  if (control.kind == ControlKind::kStatic && one_line && floor_column < cells.x &&
      Length(StripMnemonic(control.text)) > cells.width) {
    cells.width += cells.x - floor_column;
    cells.x = floor_column;
  }
  return cells;
}

std::string WaitLineText(long long waited_seconds, std::uint32_t expected_ms) {
  std::string text = "Please wait...";
  if (expected_ms != 0) {
    const long long total = (static_cast<long long>(expected_ms) + 999) / 1000;
    return text + " " + std::to_string(std::max(0LL, total - waited_seconds)) + " s left";
  }
  if (waited_seconds > 0) text += " " + std::to_string(waited_seconds) + " s";
  return text;
}

std::string ButtonFace(std::string_view text, int width) {
  const std::string padded = "[ " + std::string(text) + " ]";
  if (Length(padded) <= width) return padded;
  const std::string tight = "[" + std::string(text) + "]";
  if (Length(tight) <= width) return tight;
  return AlignText(text, width, Align::kLeft);
}

int PositionAtColumn(int low, int high, int column, int width) {
  if (width <= 1 || high <= low) return low;
  const long long span = static_cast<long long>(high) - low;
  const long long at = std::clamp(column, 0, width - 1);
  // Rounded, so that the column ThumbColumn gives for a position maps back to it.
  return static_cast<int>(low + (at * span + (width - 1) / 2) / (width - 1));
}

namespace {

// Tab titles in `room` columns (edges excluded): padded with a space each
// side when all fit so, else bare, else each cut to the same longest length.
std::vector<std::string> TabLabels(const std::vector<std::string>& titles, int room) {
  int bare = 0;
  for (const std::string& title : titles) bare += Length(title);
  const auto count = static_cast<int>(titles.size());
  std::vector<std::string> labels;
  if (bare + 2 * count <= room) {
    for (const std::string& title : titles) labels.push_back(" " + title + " ");
    return labels;
  }
  int longest = 0;
  for (const std::string& title : titles) longest = std::max(longest, Length(title));
  auto width_at = [&](int cut) {
    int total = 0;
    for (const std::string& title : titles) total += std::min(cut, Length(title));
    return total;
  };
  int cut = longest;
  while (cut > 1 && width_at(cut) > room) --cut;
  for (const std::string& title : titles) {
    labels.push_back(title.substr(0, static_cast<std::size_t>(cut)));
  }
  return labels;
}

}  // namespace

SheetLayout LayoutSheet(const std::vector<std::string>& titles, int page_width_units,
                        int page_height_units, int frame_width_units, int screen_columns,
                        int screen_rows) {
  const CellRect page_cells = DialogUnitsToCells(0, 0, page_width_units, page_height_units);
  // Tab edges and titles (2 rows), the page in its box, the button row.
  // A blank column each side of the page's box keeps it off the frame.
  const int columns = std::max(page_cells.width + 4, frame_width_units / kDialogUnitsPerColumn);
  const int rows = 2 + page_cells.height + 2 + 1;
  SheetLayout layout;
  layout.frame = CentredFrame(columns, rows, screen_columns, screen_rows);
  layout.client = {layout.frame.x + 1, layout.frame.y + 1, columns, rows};
  layout.tab_top = layout.client.y;
  layout.tab_row = layout.client.y + 1;
  const int count = static_cast<int>(titles.size());
  int edge = layout.client.x + 1;
  for (std::string& label : TabLabels(titles, columns - 2 - count - 1)) {
    const int right = edge + Length(label) + 1;
    layout.tabs.push_back({edge, right, std::move(label)});
    edge = right;
  }
  layout.page_box = {layout.client.x + 1, layout.client.y + 2, columns - 2, page_cells.height + 2};
  layout.page = {layout.page_box.x + 1, layout.page_box.y + 1, page_cells.width, page_cells.height};
  layout.button_row = layout.page_box.y + layout.page_box.height;
  return layout;
}

SheetLayout LayoutSheet(const SheetModel& sheet, int screen_columns, int screen_rows) {
  std::vector<std::string> titles;
  for (int i = 0; i < sheet.page_count(); ++i) titles.push_back(StripMnemonic(sheet.PageTitle(i)));
  // The frame was sized to the largest page with its margins, tabs and button row.
  const WindowModel& frame = sheet.frame();
  const int page_width = frame.width() - 2 * kSheetMargin;
  const int page_height = frame.height() - 2 * kSheetMargin - kSheetTabHeight - kSheetButtonRow;
  return LayoutSheet(titles, page_width, page_height, frame.width(), screen_columns, screen_rows);
}

CellRect SheetFrameControlCells(const SheetLayout& layout, const ControlState& control) {
  // The frame's dialog units count from its client area, whose margin is
  // the page box's blank column here.
  CellRect cells = ControlCells(control);
  cells.x += layout.page_box.x;
  cells.y = layout.button_row;
  cells.height = 1;
  return cells;
}

namespace {

bool Contains(const CellRect& r, int column, int row) {
  return row >= r.y && row < r.y + r.height && column >= r.x && column < r.x + r.width;
}

bool Clickable(const ControlState& control) {
  return control.visible && control.id != kNoControlId && IsInteractive(control.kind);
}

}  // namespace

HitTarget HitTestDialog(const WindowModel& window, const CellRect& client, int column, int row) {
  HitTarget hit;
  for (const ControlState& control : window.controls()) {
    CellRect cells = ControlCells(control);
    cells.x += client.x;
    cells.y += client.y;
    if (Clickable(control) && Contains(cells, column, row)) {
      hit = {HitTarget::Kind::kControl, control.id, column - cells.x};
    }
  }
  return hit;
}

HitTarget HitTestSheet(const SheetModel& sheet, const SheetLayout& layout, int column, int row) {
  if (row == layout.tab_top || row == layout.tab_row) {
    for (std::size_t i = 0; i < layout.tabs.size(); ++i) {
      const SheetTab& tab = layout.tabs[i];
      if (column > tab.left && column < tab.right) {
        return {HitTarget::Kind::kTab, static_cast<int>(i), column - tab.left - 1};
      }
    }
    return {};
  }
  if (const WindowModel* page = sheet.ActiveWindow(); page && Contains(layout.page, column, row)) {
    HitTarget hit = HitTestDialog(*page, layout.page, column, row);
    if (hit.kind == HitTarget::Kind::kControl) hit.kind = HitTarget::Kind::kPageControl;
    return hit;
  }
  HitTarget hit;
  for (const ControlState& control : sheet.frame().controls()) {
    const CellRect cells = SheetFrameControlCells(layout, control);
    if (Clickable(control) && Contains(cells, column, row)) {
      hit = {HitTarget::Kind::kFrameControl, control.id, column - cells.x};
    }
  }
  return hit;
}

bool FitsScreen(const CellRect& frame, int screen_columns, int screen_lines) {
  return frame.width <= screen_columns && frame.height + 1 <= screen_lines;
}

}  // namespace tunora::sim
