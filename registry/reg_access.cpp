#include "registry/reg_access.h"

#include <algorithm>

namespace tunora {

RegHandle::RegHandle(Registry* registry, RegKey key, bool open)
    : registry_(registry), key_(key), open_(open) {}

RegHandle RegHandle::Open(Registry& registry, std::string_view path) {
  RegKey key = 0;
  const bool open = registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, &key) == kErrorSuccess;
  return RegHandle(&registry, key, open);
}

RegHandle RegHandle::Create(Registry& registry, std::string_view path) {
  RegKey key = 0;
  const bool open =
      registry.CreateKey(kHkeyLocalMachine, path, kKeyAllAccess, &key) == kErrorSuccess;
  return RegHandle(&registry, key, open);
}

RegHandle::RegHandle(RegHandle&& other) noexcept
    : registry_(other.registry_), key_(other.key_), open_(other.open_) {
  other.open_ = false;
}

RegHandle& RegHandle::operator=(RegHandle&& other) noexcept {
  if (this != &other) {
    Close();
    registry_ = other.registry_;
    key_ = other.key_;
    open_ = other.open_;
    other.open_ = false;
  }
  return *this;
}

RegHandle::~RegHandle() { Close(); }

void RegHandle::Close() {
  if (open_) registry_->CloseKey(key_);
  open_ = false;
}

std::string JoinPath(std::string_view base, std::string_view name) {
  std::string path(base);
  if (!path.empty() && path.back() != '\\') path += '\\';
  path += name;
  return path;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::optional<std::vector<std::uint8_t>> QueryBytes(Registry& registry, RegKey key,
                                                    std::string_view name, std::uint32_t capacity) {
  std::vector<std::uint8_t> buffer(capacity, 0);
  std::uint32_t type = 0;
  std::uint32_t size = capacity;
  if (registry.QueryValue(key, name, &type, buffer.data(), &size) != kErrorSuccess) {
    return std::nullopt;
  }
  // A well-behaved registry never reports more than the buffer held; do not
  // trust it to.
  buffer.resize(std::min(size, capacity));
  return buffer;
}

bool ValueExists(Registry& registry, RegKey key, std::string_view name) {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  return registry.QueryValue(key, name, &type, nullptr, &size) == kErrorSuccess;
}

std::optional<std::array<std::uint8_t, 4>> QueryFourBytes(Registry& registry, RegKey key,
                                                          std::string_view name) {
  const auto bytes = QueryBytes(registry, key, name, 4);
  if (!bytes || bytes->empty()) return std::nullopt;
  std::array<std::uint8_t, 4> buffer{};
  std::copy(bytes->begin(), bytes->end(), buffer.begin());
  return buffer;
}

std::uint32_t LittleEndian32(std::span<const std::uint8_t> bytes) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < bytes.size() && i < 4; ++i) {
    number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  return number;
}

std::array<std::uint8_t, 4> LittleEndianBytes(std::uint32_t number) {
  return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
          static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

std::optional<std::uint32_t> QueryNumber(Registry& registry, RegKey key, std::string_view name) {
  const auto bytes = QueryFourBytes(registry, key, name);
  if (!bytes) return std::nullopt;
  return LittleEndian32(*bytes);
}

std::optional<std::string> QueryText(Registry& registry, RegKey key, std::string_view name,
                                     std::uint32_t capacity) {
  const auto bytes = QueryBytes(registry, key, name, capacity);
  if (!bytes) return std::nullopt;
  const auto end = std::find(bytes->begin(), bytes->end(), std::uint8_t{0});
  return std::string(bytes->begin(), end);
}

void SetBinary(Registry& registry, RegKey key, std::string_view name,
               const std::array<std::uint8_t, 4>& bytes) {
  registry.SetValue(key, name, kRegBinary, bytes.data(), 4);
}

void SetFlagBytes(Registry& registry, RegKey key, std::string_view name, std::uint8_t value) {
  SetBinary(registry, key, name, {value, 0, 0, 0});
}

bool SetNumber(Registry& registry, RegKey key, std::string_view name, std::uint32_t number) {
  const std::array<std::uint8_t, 4> bytes = LittleEndianBytes(number);
  return registry.SetValue(key, name, kRegDword, bytes.data(), 4) == kErrorSuccess;
}

void SetText(Registry& registry, RegKey key, std::string_view name, std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  registry.SetValue(key, name, kRegSz, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace tunora
