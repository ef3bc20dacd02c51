// Bounds-checked little-endian reads and writes in a loader's buffer: a
// field outside the buffer is a malformed file, never a stray access.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace tunora::emulator {

// The x86 page both loaders place images in.
inline constexpr std::uint32_t kPage = 0x1000;
inline constexpr std::uint32_t RoundUp(std::uint32_t value) {
  return (value + kPage - 1) & ~(kPage - 1);
}

class MalformedImage : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline void Need(std::span<const std::uint8_t> bytes, std::uint64_t offset, std::uint64_t size,
                 const char* what) {
  if (offset > bytes.size() || size > bytes.size() - offset) {
    throw MalformedImage(std::string(what) + " lies outside the file");
  }
}

inline std::uint32_t Le(std::span<const std::uint8_t> bytes, std::uint64_t offset, int size,
                        const char* what) {
  Need(bytes, offset, static_cast<std::uint64_t>(size), what);
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value |= std::uint32_t{bytes[offset + i]} << (8 * i);
  return value;
}
inline std::uint32_t Le32(std::span<const std::uint8_t> b, std::uint64_t o, const char* what) {
  return Le(b, o, 4, what);
}
inline std::uint16_t Le16(std::span<const std::uint8_t> b, std::uint64_t o, const char* what) {
  return static_cast<std::uint16_t>(Le(b, o, 2, what));
}
inline std::uint8_t Le8(std::span<const std::uint8_t> b, std::uint64_t o, const char* what) {
  return static_cast<std::uint8_t>(Le(b, o, 1, what));
}

inline void StoreLe(std::span<std::uint8_t> bytes, std::uint64_t offset, std::uint32_t value,
                    int size, const char* what) {
  Need(bytes, offset, static_cast<std::uint64_t>(size), what);
  for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A NUL-terminated name starting at `offset`.
inline std::string CString(std::span<const std::uint8_t> bytes, std::uint64_t offset,
                           const char* what) {
  std::string text;
  for (;; ++offset) {
    const std::uint8_t c = Le8(bytes, offset, what);
    if (c == 0) return text;
    text.push_back(static_cast<char>(c));
  }
}

}  // namespace tunora::emulator
