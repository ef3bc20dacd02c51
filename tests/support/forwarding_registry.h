// A registry in front of another one that passes every call through:
// the base of test doubles and benchmarks that watch or change only some
// of the calls and override just those.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace tunora {

class ForwardingRegistry : public Registry {
 public:
  explicit ForwardingRegistry(Registry& inner) : inner_(inner) {}

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override {
    return inner_.OpenKey(parent, path, access, out);
  }
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override {
    return inner_.CreateKey(parent, path, access, out);
  }
  std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string* name,
                       std::uint32_t buffer_chars) override {
    return inner_.EnumKey(key, index, name, buffer_chars);
  }
  std::int32_t EnumValue(RegKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                         std::string* data) override {
    return inner_.EnumValue(key, index, name, type, data);
  }
  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    return inner_.QueryValue(key, name, type, data, size);
  }
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    return inner_.SetValue(key, name, type, data, size);
  }
  std::int32_t DeleteValue(RegKey key, std::string_view name) override {
    return inner_.DeleteValue(key, name);
  }
  std::int32_t DeleteKey(RegKey parent, std::string_view path) override {
    return inner_.DeleteKey(parent, path);
  }
  std::int32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }
  std::int32_t FlushKey(RegKey key) override { return inner_.FlushKey(key); }
  void BeginChanges() override { inner_.BeginChanges(); }
  void EndChanges() override { inner_.EndChanges(); }

 private:
  Registry& inner_;
};

}  // namespace tunora
