// Writes an LE module: MZ stub, LE header, object table, object page map,
// resident names, entry table, fixup page table, fixup records and the
// data pages.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/pe2le/le_layout.h"

namespace tunora::pe2le {

// Throws std::invalid_argument for a layout the format cannot express
// (a fixup outside its object, a target object that does not exist, a
// name longer than 255 bytes, more than 255 exports).
std::vector<std::uint8_t> WriteLe(const LeLayout& layout);

// What a fixup at `source_offset` of an object becomes: one record per page
// it touches, with the offset inside that page (negative on the second page
// of a fixup that straddles a page boundary).
struct PageFixup {
  std::uint32_t page = 0;  // 0-based, inside the object
  std::int16_t offset = 0;
  friend bool operator==(const PageFixup&, const PageFixup&) = default;
};
std::vector<PageFixup> SplitAtPages(std::uint32_t source_offset);

}  // namespace tunora::pe2le
