// A linked PE image with base relocations turned into an LE virtual
// device: each run of adjacent code sections becomes one executable
// object, each run of the other loaded sections one writable object, every
// HIGHLOW base relocation an internal 32-bit offset fixup, and the named
// export the entry of ordinal 1.
#pragma once

#include <cstdint>
#include <string>

#include "tools/pe2le/le_layout.h"
#include "tools/pe2le/pe_image.h"

namespace tunora::pe2le {

struct VxdNames {
  std::string module_name;  // "HWGT9X"
  std::string ddb_export;   // "HWGT9X_DDB"
};

// The DDK version written into the header (Windows 95 and later).
inline constexpr std::uint16_t kVxdDdkVersion = 0x0400;

// Throws std::invalid_argument when the image imports anything, lacks the
// export, or has a relocation whose source or target lies in no loaded
// section.
LeLayout ConvertToVxd(const PeImage& image, const VxdNames& names);

}  // namespace tunora::pe2le
