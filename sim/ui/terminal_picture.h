// Line and block characters of the terminal UI, and the pictures it draws
// for bitmap and icon controls. Pure, so tested without a terminal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tunora::sim {

enum class Glyph {
  kHorizontal,
  kVertical,
  kTopLeft,
  kTopRight,
  kBottomLeft,
  kBottomRight,
  kTeeDown,   // ┬
  kTeeUp,     // ┴
  kTeeRight,  // ├
  kTeeLeft,   // ┤
  kFullBlock,
  kUpperHalf,
  kLightShade,
  kMediumShade,
  kDarkShade,
};

// The box-drawing or block character in a UTF-8 terminal, else its ASCII
// stand-in (+ - | # ...).
wchar_t GlyphChar(Glyph glyph, bool unicode);

// Resource "#131" (the product bitmap) as a graphics card with the maker's
// name, "#128" and "#132" (icons) as a small card, anything else as a
// shaded area; `height` rows of exactly `width` characters.
std::vector<std::wstring> PictureCells(std::string_view resource, int width, int height,
                                       bool unicode);

}  // namespace tunora::sim
