// The parts of a linked i386 PE image the LE conversion needs: sections,
// base relocations and exported names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tunora::pe2le {

struct PeSection {
  std::string name;
  std::uint32_t rva = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t characteristics = 0;
  std::vector<std::uint8_t> data;  // the raw bytes, at most virtual_size
};

inline constexpr std::uint32_t kScnCode = 0x00000020;
inline constexpr std::uint32_t kScnUninitializedData = 0x00000080;
inline constexpr std::uint32_t kScnDiscardable = 0x02000000;
inline constexpr std::uint32_t kScnExecute = 0x20000000;
inline constexpr std::uint32_t kScnRead = 0x40000000;
inline constexpr std::uint32_t kScnWrite = 0x80000000;

struct PeImage {
  std::uint32_t image_base = 0;
  std::vector<PeSection> sections;
  // RVAs of the 32-bit absolute addresses (IMAGE_REL_BASED_HIGHLOW).
  std::vector<std::uint32_t> highlow_relocations;
  std::map<std::string, std::uint32_t> exports;  // name -> RVA
  bool has_imports = false;
};

// Throws std::invalid_argument for a file that is no i386 PE image, or that
// has base relocations of another kind than HIGHLOW.
PeImage ReadPe(const std::vector<std::uint8_t>& file);

}  // namespace tunora::pe2le
