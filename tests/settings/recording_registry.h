// A registry in front of another one that logs every value change and
// every key creation, and refuses opening or creating the paths it is told
// to (compared without case and without a trailing backslash).
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/support/forwarding_registry.h"

namespace tunora {

class RecordingRegistry : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;

  // "set <name>", "delete <name>", "create <path>", "query <name>" (when
  // log_queries is on), plus whatever tests add.
  std::vector<std::string> log;
  std::vector<std::string> refused_paths;
  bool log_queries = false;

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override {
    if (Refused(path)) return kErrorAccessDenied;
    return ForwardingRegistry::OpenKey(parent, path, access, out);
  }
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override {
    if (Refused(path)) return kErrorAccessDenied;
    log.push_back("create " + std::string(path));
    return ForwardingRegistry::CreateKey(parent, path, access, out);
  }
  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override {
    if (log_queries) log.push_back("query " + std::string(name));
    return ForwardingRegistry::QueryValue(key, name, type, data, size);
  }
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override {
    log.push_back("set " + std::string(name));
    return ForwardingRegistry::SetValue(key, name, type, data, size);
  }
  std::int32_t DeleteValue(RegKey key, std::string_view name) override {
    log.push_back("delete " + std::string(name));
    return ForwardingRegistry::DeleteValue(key, name);
  }

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
};

}  // namespace tunora
