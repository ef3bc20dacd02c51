// A registry in front of another one that logs every value change and
// every key creation, and refuses opening or creating the paths it is told
// to (compared without case and without a trailing backslash).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tunora {

class RecordingRegistry : public Registry {
 public:
  explicit RecordingRegistry(Registry& inner) : inner_(inner) {}

  // "set <name>", "delete <name>", "create <path>", "query <name>" (when
  // log_queries is on), plus whatever tests add.
  std::vector<std::string> log;
  std::vector<std::string> refused_paths;
  bool log_queries = false;

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override {
    if (Refused(path)) return kErrorAccessDenied;
    return inner_.OpenKey(parent, path, access, out);
  }
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override {
    if (Refused(path)) return kErrorAccessDenied;
    log.push_back("create " + std::string(path));
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
    if (log_queries) log.push_back("query " + std::string(name));
    return inner_.QueryValue(key, name, type, data, size);
  }
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    log.push_back("set " + std::string(name));
    return inner_.SetValue(key, name, type, data, size);
  }
  std::int32_t DeleteValue(RegKey key, std::string_view name) override {
    log.push_back("delete " + std::string(name));
    return inner_.DeleteValue(key, name);
  }
  std::int32_t DeleteKey(RegKey parent, std::string_view path) override {
    return inner_.DeleteKey(parent, path);
  }
  std::int32_t CloseKey(RegKey key) override { return inner_.CloseKey(key); }

 private:
  static std::string Normal(std::string_view path) {
    std::string text(path);
    if (!text.empty() && text.back() == '\\') text.pop_back();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
  }
  bool Refused(std::string_view path) const {
    const std::string wanted = Normal(path);
    return std::any_of(refused_paths.begin(), refused_paths.end(),
                       [&](const std::string& refused) { return Normal(refused) == wanted; });
  }

  Registry& inner_;
};

}  // namespace tunora
