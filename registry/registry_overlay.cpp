#include "registry/registry_overlay.h"

#include <algorithm>
#include <cstring>

#include "registry/reg_access.h"
#include "registry/reg_file.h"

namespace tunora {
namespace {

// "A\B\C" gives "A", "A\B", "A\B\C".
std::vector<std::string> Prefixes(const std::string& path) {
  std::vector<std::string> prefixes;
  for (std::size_t end = path.find('\\'); end != std::string::npos;
       end = path.find('\\', end + 1)) {
    prefixes.push_back(path.substr(0, end));
  }
  if (!path.empty()) prefixes.push_back(path);
  return prefixes;
}

std::string LastName(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Contains(const std::vector<std::string>& names, std::string_view name) {
  const std::string folded = FoldName(name);
  return std::any_of(names.begin(), names.end(),
                     [&](const std::string& n) { return FoldName(n) == folded; });
}

}  // namespace

std::optional<std::string> RegistryOverlay::Resolve(RegKey parent, std::string_view path) const {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (parent == kHkeyLocalMachine) return std::string(path);
  const auto handle = handles_.find(parent);
  if (handle == handles_.end()) return std::nullopt;
  return path.empty() ? handle->second : JoinPath(handle->second, path);
}

RegistryOverlay::KeyState& RegistryOverlay::State(const std::string& path) {
  KeyState& state = keys_[FoldName(path)];
  if (state.path.empty()) state.path = path;
  return state;
}

std::int32_t RegistryOverlay::Check(const std::string& path, std::uint32_t access) {
  if (path.empty()) return kErrorSuccess;
  for (const std::string& prefix : Prefixes(path)) {
    const auto found = keys_.find(FoldName(prefix));
    if (found != keys_.end() && found->second.presence == Presence::kDeleted) {
      return kErrorFileNotFound;
    }
  }
  const auto found = keys_.find(FoldName(path));
  if (found != keys_.end() && found->second.presence == Presence::kCreated) return kErrorSuccess;
  RegKey key = 0;
  const std::int32_t error = base_.OpenKey(kHkeyLocalMachine, path, access, &key);
  if (error == kErrorSuccess) base_.CloseKey(key);
  return error;
}

RegKey RegistryOverlay::AddHandle(const std::string& path) {
  const RegKey handle = next_handle_++;
  handles_[handle] = path;
  return handle;
}

std::int32_t RegistryOverlay::OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                                      RegKey* out) {
  const std::optional<std::string> full = Resolve(parent, path);
  if (!full) return kErrorInvalidHandle;
  if (const std::int32_t error = Check(*full, access); error != kErrorSuccess) return error;
  *out = AddHandle(*full);
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                                        RegKey* out) {
  const std::optional<std::string> full = Resolve(parent, path);
  if (!full) return kErrorInvalidHandle;
  for (const std::string& prefix : Prefixes(*full)) {
    const std::int32_t error = Check(prefix, access);
    if (error == kErrorSuccess) continue;
    if (error != kErrorFileNotFound) return error;
    // Whether the real creation would be allowed is not known before it
    // runs; the overlay assumes it would be.
    State(prefix).presence = Presence::kCreated;
    // A key the changes deleted and make again existed before them: it is
    // no new key, and undoing gives its values back instead of removing it.
    if (ExistsBelow(prefix)) continue;
    std::vector<std::string>& siblings = State(ParentOf(prefix)).added_sub_keys;
    if (!Contains(siblings, LastName(prefix))) siblings.push_back(LastName(prefix));
    created_order_.push_back(prefix);
  }
  *out = AddHandle(*full);
  return kErrorSuccess;
}

bool RegistryOverlay::ExistsBelow(const std::string& path) {
  RegKey key = 0;
  if (base_.OpenKey(kHkeyLocalMachine, path, kKeyQueryValue, &key) != kErrorSuccess) return false;
  base_.CloseKey(key);
  return true;
}

std::optional<RegValueData> RegistryOverlay::Below(const std::string& path, std::string_view name) {
  RegKey key = 0;
  if (base_.OpenKey(kHkeyLocalMachine, path, kKeyQueryValue, &key) != kErrorSuccess) {
    return std::nullopt;
  }
  RegValueData value;
  std::uint32_t size = 0;
  std::int32_t error = base_.QueryValue(key, name, &value.type, nullptr, &size);
  if (error == kErrorSuccess) {
    std::string bytes(size, '\0');
    error = base_.QueryValue(key, name, &value.type, reinterpret_cast<std::uint8_t*>(bytes.data()),
                             &size);
    value.data = bytes.substr(0, size);
  }
  base_.CloseKey(key);
  if (error != kErrorSuccess) return std::nullopt;
  return value;
}

std::optional<RegValueData> RegistryOverlay::Current(const std::string& path,
                                                     std::string_view name) {
  const auto key = keys_.find(FoldName(path));
  if (key != keys_.end()) {
    const auto value = key->second.values.find(FoldName(name));
    if (value != key->second.values.end()) return value->second;
    if (key->second.presence == Presence::kCreated) return std::nullopt;
  }
  return Below(path, name);
}

void RegistryOverlay::Touch(const std::string& path, std::string_view name) {
  const std::string key = FoldName(path);
  const std::string value = FoldName(name);
  for (const TouchedValue& touched : touched_) {
    if (FoldName(touched.key_path) == key && FoldName(touched.name) == value) return;
  }
  const KeyState& state = State(path);
  const bool created = state.presence == Presence::kCreated;
  touched_.push_back(
      {state.path, std::string(name), created ? std::nullopt : Below(state.path, name)});
}

std::vector<std::string> RegistryOverlay::SubKeys(const std::string& path) {
  std::vector<std::string> names;
  const KeyState& state = State(path);
  RegKey key = 0;
  if (state.presence != Presence::kCreated &&
      base_.OpenKey(kHkeyLocalMachine, path, kKeyRead, &key) == kErrorSuccess) {
    std::string name;
    for (std::uint32_t index = 0; base_.EnumKey(key, index, &name, 256) == kErrorSuccess; ++index) {
      const auto child = keys_.find(FoldName(JoinPath(path, name)));
      if (child == keys_.end() || child->second.presence != Presence::kDeleted) {
        names.push_back(name);
      }
    }
    base_.CloseKey(key);
  }
  for (const std::string& added : State(path).added_sub_keys) {
    const auto child = keys_.find(FoldName(JoinPath(path, added)));
    const bool deleted = child != keys_.end() && child->second.presence == Presence::kDeleted;
    if (!deleted && !Contains(names, added)) names.push_back(added);
  }
  return names;
}

std::vector<std::pair<std::string, RegValueData>> RegistryOverlay::Values(const std::string& path) {
  std::vector<std::pair<std::string, RegValueData>> values;
  std::vector<std::string> seen;
  RegKey key = 0;
  if (State(path).presence != Presence::kCreated &&
      base_.OpenKey(kHkeyLocalMachine, path, kKeyRead, &key) == kErrorSuccess) {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
    for (std::uint32_t index = 0; base_.EnumValue(key, index, &name, &type, &data) == kErrorSuccess;
         ++index) {
      seen.push_back(name);
      if (std::optional<RegValueData> now = Current(path, name)) {
        values.emplace_back(name, std::move(*now));
      }
    }
    base_.CloseKey(key);
  }
  for (const std::string& added : State(path).value_order) {
    if (Contains(seen, added)) continue;
    seen.push_back(added);
    if (std::optional<RegValueData> now = Current(path, added)) {
      values.emplace_back(added, std::move(*now));
    }
  }
  return values;
}

std::int32_t RegistryOverlay::EnumKey(RegKey key, std::uint32_t index, std::string* name,
                                      std::uint32_t buffer_chars) {
  const std::optional<std::string> path = Resolve(key, "");
  if (!path) return kErrorInvalidHandle;
  const std::vector<std::string> names = SubKeys(*path);
  if (index >= names.size()) return kErrorNoMoreItems;
  if (names[index].size() >= buffer_chars) return kErrorMoreData;
  *name = names[index];
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                        std::uint32_t* type, std::string* data) {
  const std::optional<std::string> path = Resolve(key, "");
  if (!path) return kErrorInvalidHandle;
  const auto values = Values(*path);
  if (index >= values.size()) return kErrorNoMoreItems;
  *name = values[index].first;
  *type = values[index].second.type;
  *data = values[index].second.data;
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) {
  const std::optional<std::string> path = Resolve(key, "");
  if (!path) return kErrorInvalidHandle;
  const std::optional<RegValueData> value = Current(*path, name);
  if (!value) return kErrorFileNotFound;
  if (type != nullptr) *type = value->type;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data != nullptr && needed != 0) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                       const std::uint8_t* data, std::uint32_t size) {
  const std::optional<std::string> path = Resolve(key, "");
  if (!path) return kErrorInvalidHandle;
  Touch(*path, name);
  KeyState& state = State(*path);
  if (!Contains(state.value_order, name)) state.value_order.emplace_back(name);
  state.values[FoldName(name)] =
      RegValueData{type, std::string(reinterpret_cast<const char*>(data), size)};
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::DeleteValue(RegKey key, std::string_view name) {
  const std::optional<std::string> path = Resolve(key, "");
  if (!path) return kErrorInvalidHandle;
  if (!Current(*path, name)) return kErrorFileNotFound;
  Touch(*path, name);
  State(*path).values[FoldName(name)] = std::nullopt;
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::DeleteKey(RegKey parent, std::string_view path) {
  const std::optional<std::string> full = Resolve(parent, path);
  if (!full) return kErrorInvalidHandle;
  if (const std::int32_t error = Check(*full, kKeyAllAccess); error != kErrorSuccess) return error;
  if (full->empty() || !SubKeys(*full).empty()) return kErrorAccessDenied;
  for (const auto& [name, value] : Values(*full)) Touch(*full, name);
  KeyState& state = State(*full);
  if (state.presence == Presence::kCreated) {
    std::erase_if(created_order_,
                  [&](const std::string& p) { return FoldName(p) == FoldName(*full); });
  }
  state.presence = Presence::kDeleted;
  state.values.clear();
  state.value_order.clear();
  return kErrorSuccess;
}

std::int32_t RegistryOverlay::CloseKey(RegKey key) {
  if (key == kHkeyLocalMachine) return kErrorSuccess;
  return handles_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace tunora
