// Small helpers over the registry port, for every program part that keeps
// values in HKEY_LOCAL_MACHINE: scoped handles opened with full access,
// bounded value reads that never look past what the registry returned,
// the DWORD byte order, and the three data forms the display driver uses.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tunora {

// An open registry key, closed when the object goes.
class RegHandle {
 public:
  RegHandle() = default;  // no key
  // RegOpenKeyEx / RegCreateKeyEx under HKEY_LOCAL_MACHINE with
  // KEY_ALL_ACCESS; an empty handle when the call fails.
  static RegHandle Open(Registry& registry, std::string_view path);
  static RegHandle Create(Registry& registry, std::string_view path);

  RegHandle(RegHandle&& other) noexcept;
  RegHandle& operator=(RegHandle&& other) noexcept;
  RegHandle(const RegHandle&) = delete;
  RegHandle& operator=(const RegHandle&) = delete;
  ~RegHandle();

  explicit operator bool() const { return open_; }
  RegKey key() const { return key_; }

 private:
  RegHandle(Registry* registry, RegKey key, bool open);
  void Close();

  Registry* registry_ = nullptr;
  RegKey key_ = 0;
  bool open_ = false;
};

// Joins two registry path parts with a single backslash.
std::string JoinPath(std::string_view base, std::string_view name);

// Case-sensitive prefix test, character for character over the prefix.
bool StartsWith(std::string_view text, std::string_view prefix);

// Reads a value into a buffer of `capacity` bytes, whatever its type (as
// RegQueryValueEx does). A value longer than the buffer does not read.
// Returns the bytes actually stored, or nothing when the value is absent
// or too long.
std::optional<std::vector<std::uint8_t>> QueryBytes(Registry& registry, RegKey key,
                                                    std::string_view name, std::uint32_t capacity);

// Whether a value of that name exists, whatever its size.
bool ValueExists(Registry& registry, RegKey key, std::string_view name);

// A value read into a zero-cleared 4-byte buffer. Bytes past the stored
// length stay zero; a value of zero length counts as absent, since it has
// no byte 0 to decide anything on.
std::optional<std::array<std::uint8_t, 4>> QueryFourBytes(Registry& registry, RegKey key,
                                                          std::string_view name);

// The registry's DWORD byte order (little-endian). A shorter run of bytes
// reads with its missing high bytes zero; bytes past four are not read.
std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes);
std::array<std::uint8_t, 4> LittleEndianBytes(std::uint32_t number);

// A REG_DWORD-style number (little-endian, missing high bytes zero).
std::optional<std::uint32_t> QueryNumber(Registry& registry, RegKey key, std::string_view name);

// Text read into a buffer of `capacity` bytes, cut at the first zero (or
// at the stored length when the terminating zero is missing).
std::optional<std::string> QueryText(Registry& registry, RegKey key, std::string_view name,
                                     std::uint32_t capacity);

// The driver's data forms. Failures are silent, as everywhere in the
// settings engine.
void SetBinary(Registry& registry, RegKey key, std::string_view name,
               const std::array<std::uint8_t, 4>& bytes);
// Flag bytes: byte 0 carries the value, bytes 1 to 3 zero.
void SetFlagBytes(Registry& registry, RegKey key, std::string_view name, std::uint8_t value);
// REG_DWORD. True when the value was written; the settings engine ignores
// it (see above), the clock's permanent choice reports a failure.
bool SetNumber(Registry& registry, RegKey key, std::string_view name, std::uint32_t number);
// REG_SZ with its terminating zero.
void SetText(Registry& registry, RegKey key, std::string_view name, std::string_view text);

}  // namespace tunora
