#include "sim/ui/terminal_picture.h"

#include <algorithm>
#include <cmath>

namespace tunora::sim {
namespace {

constexpr std::string_view kMakerName = "Quillex";

class Canvas {
 public:
  Canvas(int width, int height, bool unicode)
      : width_(width),
        unicode_(unicode),
        rows_(static_cast<std::size_t>(height),
              std::wstring(static_cast<std::size_t>(width), L' ')) {}

  void Set(int x, int y, wchar_t ch) {
    if (x >= 0 && x < width_ && y >= 0 && y < static_cast<int>(rows_.size())) {
      rows_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = ch;
    }
  }
  void Set(int x, int y, Glyph glyph) { Set(x, y, GlyphChar(glyph, unicode_)); }
  void Text(int x, int y, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      Set(x + static_cast<int>(i), y, static_cast<wchar_t>(text[i]));
    }
  }
  void Box(int left, int top, int right, int bottom) {
    for (int x = left + 1; x < right; ++x) {
      Set(x, top, Glyph::kHorizontal);
      Set(x, bottom, Glyph::kHorizontal);
    }
    for (int y = top + 1; y < bottom; ++y) {
      Set(left, y, Glyph::kVertical);
      Set(right, y, Glyph::kVertical);
    }
    Set(left, top, Glyph::kTopLeft);
    Set(right, top, Glyph::kTopRight);
    Set(left, bottom, Glyph::kBottomLeft);
    Set(right, bottom, Glyph::kBottomRight);
  }
  std::vector<std::wstring> Take() { return std::move(rows_); }

 private:
  int width_;
  bool unicode_;
  std::vector<std::wstring> rows_;
};

// Seen from above: the bracket on the left, the board with its fan and
// memory chips and the name, the edge connector under it.
void Card(Canvas& canvas, int width, int height) {
  const int bottom = height - 2;  // the connector takes the last row
  for (int y = 0; y <= bottom; ++y) canvas.Set(0, y, Glyph::kFullBlock);
  canvas.Box(1, 0, width - 1, bottom);
  const int inner = bottom - 1;  // rows inside the board
  // The fan: an ellipse shaded darker towards its hub, twice as wide as
  // high since a cell is about twice as high as wide.
  const int fan_height = std::max(1, inner);
  const int fan_width = std::min(2 * fan_height, (width - 4) / 2);
  const double cx = 3 + (fan_width - 1) / 2.0, cy = 1 + (fan_height - 1) / 2.0;
  const double rx = fan_width / 2.0, ry = fan_height / 2.0;
  for (int y = 1; y <= inner; ++y) {
    for (int x = 3; x < 3 + fan_width; ++x) {
      const double d = std::hypot((x - cx) / rx, (y - cy) / ry);
      if (d < 0.4) {
        canvas.Set(x, y, Glyph::kFullBlock);
      } else if (d < 0.75) {
        canvas.Set(x, y, Glyph::kDarkShade);
      } else if (d < 1.05) {
        canvas.Set(x, y, Glyph::kMediumShade);
      }
    }
  }
  // Memory chips along the top and bottom of the free part, the name
  // between them.
  const int left = 3 + fan_width + 2, right = width - 3;
  if (inner >= 3) {
    for (int x = left; x + 1 <= right; x += 3) {
      for (const int y : {1, inner}) {
        canvas.Set(x, y, Glyph::kFullBlock);
        canvas.Set(x + 1, y, Glyph::kFullBlock);
      }
    }
  }
  const int name_width = static_cast<int>(kMakerName.size());
  const int room = right - left + 1;
  const int name_x =
      room >= name_width ? left + (room - name_width) / 2 : std::max(2, (width - name_width) / 2);
  canvas.Text(name_x, (1 + inner) / 2, kMakerName);
  // Gold fingers with the key notch.
  const int first = 2 + width / 6, last = width - 3;
  const int notch = first + (last - first) * 2 / 3;
  for (int x = first; x <= last; ++x) {
    if (x != notch) canvas.Set(x, height - 1, Glyph::kUpperHalf);
  }
}

// A small card: its outline with the maker's initial, connector teeth at
// the bottom edge.
void Icon(Canvas& canvas, int width, int height) {
  if (height == 1 || width < 3) {
    canvas.Text((width - 3) / 2, (height - 1) / 2, "[Q]");
    return;
  }
  canvas.Box(0, 0, width - 1, height - 1);
  for (int x = 1; x < width - 1; ++x) canvas.Set(x, height - 1, Glyph::kTeeUp);
  canvas.Set(width / 2, height > 2 ? (height - 1) / 2 : 0, L'Q');
}

}  // namespace

wchar_t GlyphChar(Glyph glyph, bool unicode) {
  switch (glyph) {
    case Glyph::kHorizontal:
      return unicode ? L'\u2500' : L'-';
    case Glyph::kVertical:
      return unicode ? L'\u2502' : L'|';
    case Glyph::kTopLeft:
      return unicode ? L'\u250C' : L'+';
    case Glyph::kTopRight:
      return unicode ? L'\u2510' : L'+';
    case Glyph::kBottomLeft:
      return unicode ? L'\u2514' : L'+';
    case Glyph::kBottomRight:
      return unicode ? L'\u2518' : L'+';
    case Glyph::kTeeDown:
      return unicode ? L'\u252C' : L'+';
    case Glyph::kTeeUp:
      return unicode ? L'\u2534' : L'+';
    case Glyph::kTeeRight:
      return unicode ? L'\u251C' : L'+';
    case Glyph::kTeeLeft:
      return unicode ? L'\u2524' : L'+';
    case Glyph::kFullBlock:
      return unicode ? L'\u2588' : L'#';
    case Glyph::kUpperHalf:
      return unicode ? L'\u2580' : L'=';
    case Glyph::kLightShade:
      return unicode ? L'\u2591' : L'.';
    case Glyph::kMediumShade:
      return unicode ? L'\u2592' : L':';
    case Glyph::kDarkShade:
      return unicode ? L'\u2593' : L'%';
  }
  return L'?';
}

std::vector<std::wstring> PictureCells(std::string_view resource, int width, int height,
                                       bool unicode) {
  width = std::max(1, width);
  height = std::max(1, height);
  Canvas canvas(width, height, unicode);
  if (resource == "#131" && width >= 12 && height >= 4) {
    Card(canvas, width, height);
  } else if (resource == "#131" || resource == "#128" || resource == "#132") {
    Icon(canvas, width, height);
  } else {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) canvas.Set(x, y, Glyph::kLightShade);
    }
  }
  return canvas.Take();
}

}  // namespace tunora::sim
