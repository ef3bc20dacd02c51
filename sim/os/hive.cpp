#include "sim/os/hive.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/registry.h"

namespace tunora::sim {
namespace {

unsigned char FoldUpper(char c) {
  auto byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

std::string ComponentsError(std::string_view path) {
  return "bad registry key path \"" + std::string(path) + "\"";
}

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char ca = FoldUpper(a[i]);
    unsigned char cb = FoldUpper(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool IsValidKeyName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxKeyNameChars &&
         name.find_first_of("\\\n") == std::string_view::npos;
}

bool IsValidValueName(std::string_view name) { return name.find('\n') == std::string_view::npos; }

std::int32_t SplitKeyPath(std::string_view path, std::vector<std::string_view>* components) {
  components->clear();
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.empty()) return kErrorSuccess;
  std::size_t start = 0;
  while (true) {
    std::size_t end = path.find('\\', start);
    std::string_view part =
        path.substr(start, end == std::string_view::npos ? path.npos : end - start);
    if (part.empty()) return kErrorBadPathname;
    if (!IsValidKeyName(part)) return kErrorInvalidParameter;
    components->push_back(part);
    if (components->size() > kMaxKeyDepth) return kErrorInvalidParameter;
    if (end == std::string_view::npos) return kErrorSuccess;
    start = end + 1;
  }
}

std::string JoinKeyPath(const std::vector<std::string_view>& components) {
  std::string path;
  for (std::string_view part : components) {
    if (!path.empty()) path += '\\';
    path += part;
  }
  return path;
}

HiveKey::HiveKey(std::string name) : name_(std::move(name)) {}

std::vector<std::shared_ptr<HiveKey>>::const_iterator HiveKey::LowerBound(
    std::string_view name) const {
  return std::lower_bound(sub_keys_.begin(), sub_keys_.end(), name,
                          [](const std::shared_ptr<HiveKey>& key, std::string_view wanted) {
                            return CompareNames(key->name_, wanted) < 0;
                          });
}

const HiveKey* HiveKey::FindSubKey(std::string_view name) const {
  auto it = LowerBound(name);
  return (it != sub_keys_.end() && NamesEqual((*it)->name_, name)) ? it->get() : nullptr;
}

HiveKey* HiveKey::FindSubKey(std::string_view name) {
  return const_cast<HiveKey*>(std::as_const(*this).FindSubKey(name));
}

HiveKey& HiveKey::AddSubKey(std::string_view name) {
  if (!IsValidKeyName(name)) throw std::invalid_argument(ComponentsError(name));
  auto it = LowerBound(name);
  if (it != sub_keys_.end() && NamesEqual((*it)->name_, name)) return **it;
  return **sub_keys_.insert(it, std::make_shared<HiveKey>(std::string(name)));
}

bool HiveKey::RemoveSubKey(std::string_view name) {
  auto it = LowerBound(name);
  if (it == sub_keys_.end() || !NamesEqual((*it)->name_, name)) return false;
  sub_keys_.erase(it);
  return true;
}

const HiveValue* HiveKey::FindValue(std::string_view name) const {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const HiveValue& value) { return NamesEqual(value.name, name); });
  return it == values_.end() ? nullptr : &*it;
}

void HiveKey::SetValue(std::string_view name, std::uint32_t type, std::string data) {
  if (!IsValidValueName(name)) throw std::invalid_argument("bad registry value name");
  if (auto* existing = const_cast<HiveValue*>(FindValue(name))) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values_.push_back(HiveValue{std::string(name), type, std::move(data)});
}

bool HiveKey::DeleteValue(std::string_view name) {
  auto it = std::find_if(values_.begin(), values_.end(),
                         [&](const HiveValue& value) { return NamesEqual(value.name, name); });
  if (it == values_.end()) return false;
  values_.erase(it);
  return true;
}

std::shared_ptr<HiveKey> HiveKey::Clone() const {
  auto copy = std::make_shared<HiveKey>(name_);
  copy->values_ = values_;
  copy->sub_keys_.reserve(sub_keys_.size());
  for (const auto& sub_key : sub_keys_) copy->sub_keys_.push_back(sub_key->Clone());
  return copy;
}

bool operator==(const HiveKey& a, const HiveKey& b) {
  if (a.name_ != b.name_ || a.values_ != b.values_ || a.sub_keys_.size() != b.sub_keys_.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.sub_keys_.size(); ++i) {
    if (!(*a.sub_keys_[i] == *b.sub_keys_[i])) return false;
  }
  return true;
}

Hive::Hive() : root_(std::make_shared<HiveKey>("HKEY_LOCAL_MACHINE")) {}
Hive::Hive(const Hive& other) : root_(other.root_->Clone()) {}
Hive::Hive(Hive&& other) : root_(std::exchange(other.root_, Hive().root_)) {}

Hive& Hive::operator=(const Hive& other) {
  if (this != &other) root_ = other.root_->Clone();
  return *this;
}

Hive& Hive::operator=(Hive&& other) {
  if (this != &other) root_ = std::exchange(other.root_, Hive().root_);
  return *this;
}

const HiveKey* Hive::FindKey(std::string_view path) const {
  std::vector<std::string_view> parts;
  if (SplitKeyPath(path, &parts) != kErrorSuccess) return nullptr;
  const HiveKey* key = root_.get();
  for (std::string_view part : parts) {
    key = key->FindSubKey(part);
    if (key == nullptr) return nullptr;
  }
  return key;
}

HiveKey* Hive::FindKey(std::string_view path) {
  return const_cast<HiveKey*>(std::as_const(*this).FindKey(path));
}

HiveKey& Hive::CreateKey(std::string_view path) {
  std::vector<std::string_view> parts;
  if (SplitKeyPath(path, &parts) != kErrorSuccess) {
    throw std::invalid_argument(ComponentsError(path));
  }
  HiveKey* key = root_.get();
  for (std::string_view part : parts) key = &key->AddSubKey(part);
  return *key;
}

bool Hive::RemoveKey(std::string_view path) {
  std::vector<std::string_view> parts;
  if (SplitKeyPath(path, &parts) != kErrorSuccess || parts.empty()) return false;
  std::string_view leaf = parts.back();
  parts.pop_back();
  HiveKey* parent = FindKey(JoinKeyPath(parts));
  return parent != nullptr && parent->RemoveSubKey(leaf);
}

const HiveValue* Hive::FindValue(std::string_view key_path, std::string_view name) const {
  const HiveKey* key = FindKey(key_path);
  return key == nullptr ? nullptr : key->FindValue(name);
}

void Hive::SetValue(std::string_view key_path, std::string_view name, std::uint32_t type,
                    std::string data) {
  CreateKey(key_path).SetValue(name, type, std::move(data));
}

void Hive::SetString(std::string_view key_path, std::string_view name, std::string_view text) {
  SetValue(key_path, name, kRegSz, StringBytes(text));
}

void Hive::SetDword(std::string_view key_path, std::string_view name, std::uint32_t number) {
  SetValue(key_path, name, kRegDword, DwordBytes(number));
}

std::string DwordBytes(std::uint32_t number) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFFu);
  return bytes;
}

std::string StringBytes(std::string_view text) {
  std::string bytes(text);
  bytes.push_back('\0');
  return bytes;
}

}  // namespace tunora::sim
