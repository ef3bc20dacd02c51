// A registry in front of an honest one whose value reads succeed but
// report more bytes than the caller's buffer holds, as a broken registry
// filter could. The buffer itself receives only what the honest registry
// wrote.
#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "platform/registry.h"

namespace tunora::testing {

class MisbehavingRegistry : public Registry {
 public:
  explicit MisbehavingRegistry(Registry& honest) : honest_(honest) {}

  // Added to the buffer size a successful read reports; saturates.
  std::uint32_t overstatement = 0;

  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    const std::uint32_t capacity = *size;
    const std::int32_t result = honest_.QueryValue(key, name, type, data, size);
    if (result == kErrorSuccess && data != nullptr) {
      constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
      *size = overstatement > kMax - capacity ? kMax : capacity + overstatement;
    }
    return result;
  }

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override {
    return honest_.OpenKey(parent, path, access, out);
  }
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override {
    return honest_.CreateKey(parent, path, access, out);
  }
  std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string* name,
                       std::uint32_t buffer_chars) override {
    return honest_.EnumKey(key, index, name, buffer_chars);
  }
  std::int32_t EnumValue(RegKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                         std::string* data) override {
    return honest_.EnumValue(key, index, name, type, data);
  }
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    return honest_.SetValue(key, name, type, data, size);
  }
  std::int32_t DeleteValue(RegKey key, std::string_view name) override {
    return honest_.DeleteValue(key, name);
  }
  std::int32_t DeleteKey(RegKey parent, std::string_view path) override {
    return honest_.DeleteKey(parent, path);
  }
  std::int32_t CloseKey(RegKey key) override { return honest_.CloseKey(key); }
  std::int32_t FlushKey(RegKey key) override { return honest_.FlushKey(key); }

 private:
  Registry& honest_;
};

}  // namespace tunora::testing
