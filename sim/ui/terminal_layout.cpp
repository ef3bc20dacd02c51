#include "sim/ui/terminal_layout.h"

#include <algorithm>

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
  return CellRect{x / kDialogUnitsPerColumn, y / kDialogUnitsPerRow,
                  std::max(1, width / kDialogUnitsPerColumn),
                  std::max(1, height / kDialogUnitsPerRow)};
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

}  // namespace tunora::sim
