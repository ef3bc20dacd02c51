// The registry as it would be after some changes, without making them: an
// overlay of pending changes on top of the registry port. Reads see the
// changes; the registry below is only read. What the changes would replace
// is kept, so Apply can save it before it writes anything (the undo file).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tunora {

struct RegValueData {
  std::uint32_t type = 0;
  std::string data;
  friend bool operator==(const RegValueData&, const RegValueData&) = default;
};

class RegistryOverlay final : public Registry {
 public:
  explicit RegistryOverlay(Registry& base) : base_(base) {}

  std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                       RegKey* out) override;
  std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                         RegKey* out) override;
  std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string* name,
                       std::uint32_t buffer_chars = 260) override;
  std::int32_t EnumValue(RegKey key, std::uint32_t index, std::string* name, std::uint32_t* type,
                         std::string* data) override;
  std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* size) override;
  std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t size) override;
  std::int32_t DeleteValue(RegKey key, std::string_view name) override;
  std::int32_t DeleteKey(RegKey parent, std::string_view path) override;
  std::int32_t CloseKey(RegKey key) override;

  // A value the changes would set or delete, with what the registry below
  // holds now (nothing when it has no such value).
  struct TouchedValue {
    std::string key_path;  // below HKEY_LOCAL_MACHINE, as first named
    std::string name;
    std::optional<RegValueData> before;
  };
  // In the order they were first touched.
  const std::vector<TouchedValue>& touched_values() const { return touched_; }
  // Keys the changes would create, parents before their sub-keys.
  const std::vector<std::string>& created_keys() const { return created_order_; }

 private:
  // kBelow: as the registry below has it.
  enum class Presence { kBelow, kCreated, kDeleted };
  struct KeyState {
    std::string path;  // as first named
    Presence presence = Presence::kBelow;
    std::map<std::string, std::optional<RegValueData>> values;  // by folded name; nullopt: deleted
    std::vector<std::string> value_order;                       // names of values it added
    std::vector<std::string> added_sub_keys;                    // names, in order of creation
  };

  // The full path below HKEY_LOCAL_MACHINE, or nothing for a bad handle.
  std::optional<std::string> Resolve(RegKey parent, std::string_view path) const;
  // Whether the key exists with the changes, opening the real one with
  // `access` to find out; the error to return when it does not.
  std::int32_t Check(const std::string& path, std::uint32_t access);
  KeyState& State(const std::string& path);
  std::optional<RegValueData> Current(const std::string& path, std::string_view name);
  std::optional<RegValueData> Below(const std::string& path, std::string_view name);
  bool ExistsBelow(const std::string& path);
  void Touch(const std::string& path, std::string_view name);
  std::vector<std::string> SubKeys(const std::string& path);
  std::vector<std::pair<std::string, RegValueData>> Values(const std::string& path);
  RegKey AddHandle(const std::string& path);

  Registry& base_;
  std::map<std::string, KeyState> keys_;  // by folded path
  std::map<RegKey, std::string> handles_;
  RegKey next_handle_ = 0x7000;
  std::vector<TouchedValue> touched_;
  std::vector<std::string> created_order_;
};

}  // namespace tunora
