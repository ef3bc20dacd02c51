#include "sim/os/sim_registry.h"

#include <cstring>

namespace tunora::sim {
namespace {

constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericExecute = 0x20000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kWow64Views = 0x00000300;  // KEY_WOW64_64KEY / 32KEY: no meaning here

// Rights only an administrator is granted on HKEY_LOCAL_MACHINE.
constexpr std::uint32_t kWriteRights =
    kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kDelete | kWriteDac | kWriteOwner;

// Generic rights mapped to key rights, as the registry's generic mapping does.
std::uint32_t MapGenericRights(std::uint32_t access) {
  std::uint32_t mapped = access & ~(kGenericAll | kGenericExecute | kGenericWrite | kGenericRead |
                                    kMaximumAllowed | kWow64Views);
  if (access & (kGenericRead | kGenericExecute)) mapped |= kKeyRead;
  if (access & kGenericWrite) mapped |= kKeyWrite;
  if (access & kGenericAll) mapped |= kKeyAllAccess;
  return mapped;
}

HiveKey* FindParent(HiveKey& from, const HiveKey& target) {
  for (std::size_t i = 0; i < from.SubKeyCount(); ++i) {
    HiveKey& sub_key = from.SubKey(i);
    if (&sub_key == &target) return &from;
    if (HiveKey* parent = FindParent(sub_key, target)) return parent;
  }
  return nullptr;
}

}  // namespace

SimRegistry::SimRegistry(Hive hive, bool administrator, std::optional<std::filesystem::path> file)
    : hive_(std::move(hive)), administrator_(administrator), file_(std::move(file)) {}

std::uint32_t SimRegistry::GrantedAccess(std::uint32_t requested) const {
  std::uint32_t granted = MapGenericRights(requested);
  if (requested & kMaximumAllowed) granted |= administrator_ ? kKeyAllAccess : kKeyRead;
  return granted;
}

std::int32_t SimRegistry::CheckRequest(std::uint32_t requested) const {
  if (!administrator_ && (MapGenericRights(requested) & kWriteRights) != 0) {
    return kErrorAccessDenied;
  }
  return kErrorSuccess;
}

SimRegistry::Resolved SimRegistry::Resolve(RegKey key, std::uint32_t needed_access) {
  if (key == kHkeyLocalMachine) {
    std::uint32_t access = administrator_ ? kKeyAllAccess : kKeyRead;
    if ((access & needed_access) != needed_access) return {kErrorAccessDenied, nullptr};
    return {kErrorSuccess, &hive_.root()};
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) return {kErrorInvalidHandle, nullptr};
  if ((it->second.access & needed_access) != needed_access) return {kErrorAccessDenied, nullptr};
  std::shared_ptr<HiveKey> target = it->second.key.lock();
  if (!target) return {kErrorKeyDeleted, nullptr};
  // The hive owns the key, so the pointer stays valid for this call.
  return {kErrorSuccess, target.get()};
}

RegKey SimRegistry::AddHandle(HiveKey& key, std::uint32_t access) {
  // Handles look like Win32 ones: small multiples of four, never 0 and
  // never in the range of the predefined keys.
  do {
    next_handle_ += 4;
    if (next_handle_ >= 0x80000000u) next_handle_ = 0x104;
  } while (handles_.count(next_handle_) != 0);
  handles_[next_handle_] = Handle{key.weak_from_this(), access};
  return next_handle_;
}

SimRegistry::Walk SimRegistry::WalkPath(RegKey parent, std::string_view path) {
  Walk walk;
  const Resolved from = Resolve(parent, 0);
  walk.error = from.error;
  if (walk.error != kErrorSuccess) return walk;
  walk.error = SplitKeyPath(path, &walk.parts);
  if (walk.error != kErrorSuccess) return walk;
  walk.key = from.key;
  for (; walk.existing < walk.parts.size(); ++walk.existing) {
    HiveKey* next = walk.key->FindSubKey(walk.parts[walk.existing]);
    if (next == nullptr) break;
    walk.key = next;
  }
  return walk;
}

std::int32_t SimRegistry::OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                                  RegKey* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  *out = 0;
  const Walk walk = WalkPath(parent, path);
  if (walk.error != kErrorSuccess) return walk.error;
  if (walk.existing != walk.parts.size()) return kErrorFileNotFound;
  if (std::int32_t error = CheckRequest(access); error != kErrorSuccess) return error;
  *out = AddHandle(*walk.key, GrantedAccess(access));
  return kErrorSuccess;
}

std::int32_t SimRegistry::CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                                    RegKey* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  *out = 0;
  const Walk walk = WalkPath(parent, path);
  if (walk.error != kErrorSuccess) return walk.error;
  HiveKey* key = walk.key;
  if (std::int32_t error = CheckRequest(access); error != kErrorSuccess) return error;
  if (walk.existing == walk.parts.size()) {
    *out = AddHandle(*key, GrantedAccess(access));
    return kErrorSuccess;
  }
  if (Resolve(parent, kKeyCreateSubKey).error != kErrorSuccess) return kErrorAccessDenied;
  for (std::size_t i = walk.existing; i < walk.parts.size(); ++i) {
    key = &key->AddSubKey(walk.parts[i]);
  }
  if (std::int32_t error = Changed(); error != kErrorSuccess) return error;
  *out = AddHandle(*key, GrantedAccess(access));
  return kErrorSuccess;
}

std::int32_t SimRegistry::EnumKey(RegKey key, std::uint32_t index, std::string* name,
                                  std::uint32_t buffer_chars) {
  if (name == nullptr) return kErrorInvalidParameter;
  Resolved resolved = Resolve(key, kKeyEnumerateSubKeys);
  if (resolved.error != kErrorSuccess) return resolved.error;
  if (index >= resolved.key->SubKeyCount()) return kErrorNoMoreItems;
  const std::string& sub_name = resolved.key->SubKey(index).name();
  // buffer_chars counts the terminating zero.
  if (sub_name.size() >= buffer_chars) return kErrorMoreData;
  *name = sub_name;
  return kErrorSuccess;
}

std::int32_t SimRegistry::EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                    std::uint32_t* type, std::string* data) {
  if (name == nullptr) return kErrorInvalidParameter;
  Resolved resolved = Resolve(key, kKeyQueryValue);
  if (resolved.error != kErrorSuccess) return resolved.error;
  const std::vector<HiveValue>& values = resolved.key->values();
  if (index >= values.size()) return kErrorNoMoreItems;
  *name = values[index].name;
  if (type != nullptr) *type = values[index].type;
  if (data != nullptr) *data = values[index].data;
  return kErrorSuccess;
}

std::int32_t SimRegistry::QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  Resolved resolved = Resolve(key, kKeyQueryValue);
  if (resolved.error != kErrorSuccess) return resolved.error;
  const HiveValue* value = resolved.key->FindValue(name);
  if (value == nullptr) return kErrorFileNotFound;
  if (type != nullptr) *type = value->type;
  auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data != nullptr && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data != nullptr && needed != 0) std::memcpy(data, value->data.data(), needed);
  if (size != nullptr) *size = needed;
  return kErrorSuccess;
}

std::int32_t SimRegistry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  Resolved resolved = Resolve(key, kKeySetValue);
  if (resolved.error != kErrorSuccess) return resolved.error;
  if ((data == nullptr && size != 0) || !IsValidValueName(name)) return kErrorInvalidParameter;
  std::string bytes;
  if (size != 0) bytes.assign(reinterpret_cast<const char*>(data), size);
  resolved.key->SetValue(name, type, std::move(bytes));
  return Changed();
}

std::int32_t SimRegistry::DeleteValue(RegKey key, std::string_view name) {
  Resolved resolved = Resolve(key, kKeySetValue);
  if (resolved.error != kErrorSuccess) return resolved.error;
  if (!resolved.key->DeleteValue(name)) return kErrorFileNotFound;
  return Changed();
}

std::int32_t SimRegistry::DeleteKey(RegKey parent, std::string_view path) {
  Resolved from = Resolve(parent, 0);
  if (from.error != kErrorSuccess) return from.error;
  std::vector<std::string_view> parts;
  if (std::int32_t error = SplitKeyPath(path, &parts); error != kErrorSuccess) return error;
  HiveKey* key = from.key;
  for (std::string_view part : parts) {
    key = key->FindSubKey(part);
    if (key == nullptr) return kErrorFileNotFound;
  }
  // RegDeleteKey opens the key for DELETE, which only an administrator
  // gets; the root and keys with sub-keys cannot be deleted at all.
  if (!administrator_ || key == &hive_.root() || key->SubKeyCount() != 0) {
    return kErrorAccessDenied;
  }
  HiveKey* key_parent = FindParent(hive_.root(), *key);
  if (key_parent == nullptr) return kErrorKeyDeleted;
  key_parent->RemoveSubKey(key->name());
  return Changed();
}

std::int32_t SimRegistry::CloseKey(RegKey key) {
  if (key == kHkeyLocalMachine) return kErrorSuccess;
  return handles_.erase(key) != 0 ? kErrorSuccess : kErrorInvalidHandle;
}

std::int32_t SimRegistry::FlushKey(RegKey key) {
  if (const Resolved resolved = Resolve(key, 0); resolved.error != kErrorSuccess) {
    return resolved.error;
  }
  ++flush_count_;
  return SavePending() ? kErrorSuccess : kErrorRegistryIoFailed;
}

bool SimRegistry::NoteChange() { return Changed() == kErrorSuccess; }

std::int32_t SimRegistry::Changed() {
  dirty_ = true;
  if (batch_depth_ > 0) return kErrorSuccess;
  return SaveNow() ? kErrorSuccess : kErrorRegistryIoFailed;
}

bool SimRegistry::SaveNow() {
  if (file_) {
    try {
      SaveHiveFileAtomic(hive_, *file_);
    } catch (const std::exception&) {
      return false;  // stays dirty: the next change or batch end tries again
    }
    ++save_count_;
  }
  dirty_ = false;
  return true;
}

bool SimRegistry::SavePending() { return !dirty_ || SaveNow(); }

void SimRegistry::BeginChanges() { ++batch_depth_; }

void SimRegistry::EndChanges() {
  if (batch_depth_ > 0 && --batch_depth_ == 0 && dirty_) SaveNow();
}

SimRegistry::SaveBatch::SaveBatch(SimRegistry& registry) : registry_(registry) {
  registry_.BeginChanges();
}

SimRegistry::SaveBatch::~SaveBatch() { registry_.EndChanges(); }

}  // namespace tunora::sim
