// The simulated HKEY_LOCAL_MACHINE: a tree of keys holding typed values.
// Names keep their case and compare case-insensitively (ASCII folding, as
// the registry does for the names this program uses). Sub-keys enumerate in
// name order, as NT's registry does; values in the order they were created.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tunora::sim {

inline constexpr std::size_t kMaxKeyNameChars = 255;
// NT's limit on key nesting; it also bounds recursion over a loaded hive.
inline constexpr std::size_t kMaxKeyDepth = 512;

struct HiveValue {
  std::string name;  // "" is the key's default value
  std::uint32_t type = 0;
  std::string data;  // raw bytes, exactly as set
  friend bool operator==(const HiveValue&, const HiveValue&) = default;
};

// Compares two names the way the registry does: upper-case ASCII folding,
// so "a" sorts before "_" as it does on NT. Returns <0, 0 or >0.
int CompareNames(std::string_view a, std::string_view b);
inline bool NamesEqual(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

// A key name component: 1..255 characters, no backslash, no line feed
// (the hive file could not carry it).
bool IsValidKeyName(std::string_view name);
// A value name: anything but a line feed.
bool IsValidValueName(std::string_view name);

// Splits a key path relative to some key into its components. Components
// are separated by single backslashes; one trailing backslash is accepted
// and "" is the key itself. Returns kErrorSuccess, kErrorBadPathname
// (leading backslash, empty component) or kErrorInvalidParameter (a
// component over 255 characters or holding a line feed, more than
// kMaxKeyDepth components).
std::int32_t SplitKeyPath(std::string_view path, std::vector<std::string_view>* components);
std::string JoinKeyPath(const std::vector<std::string_view>& components);

// Keys are owned through shared_ptr so that open registry handles can hold
// weak references and notice when their key has been deleted.
class HiveKey : public std::enable_shared_from_this<HiveKey> {
 public:
  explicit HiveKey(std::string name);
  HiveKey(const HiveKey&) = delete;
  HiveKey& operator=(const HiveKey&) = delete;

  const std::string& name() const { return name_; }

  std::size_t SubKeyCount() const { return sub_keys_.size(); }
  HiveKey& SubKey(std::size_t index) { return *sub_keys_.at(index); }
  const HiveKey& SubKey(std::size_t index) const { return *sub_keys_.at(index); }
  HiveKey* FindSubKey(std::string_view name);
  const HiveKey* FindSubKey(std::string_view name) const;
  // Returns the existing sub-key of that name or adds it. Throws
  // std::invalid_argument when the name is not a valid key name.
  HiveKey& AddSubKey(std::string_view name);
  // Removes the sub-key with everything below it.
  bool RemoveSubKey(std::string_view name);

  const std::vector<HiveValue>& values() const { return values_; }
  const HiveValue* FindValue(std::string_view name) const;
  // Replaces type and data of an existing value (keeping its name's case
  // and its place) or appends a new one. Throws std::invalid_argument for
  // a name IsValidValueName rejects.
  void SetValue(std::string_view name, std::uint32_t type, std::string data);
  bool DeleteValue(std::string_view name);

  std::shared_ptr<HiveKey> Clone() const;
  // Exact comparison: names with their case, values in order, bytes.
  friend bool operator==(const HiveKey& a, const HiveKey& b);

 private:
  std::vector<std::shared_ptr<HiveKey>>::const_iterator LowerBound(std::string_view name) const;

  std::string name_;
  std::vector<std::shared_ptr<HiveKey>> sub_keys_;  // sorted by CompareNames
  std::vector<HiveValue> values_;
};

class Hive {
 public:
  Hive();
  Hive(const Hive& other);
  Hive& operator=(const Hive& other);
  // A moved-from hive is a valid, empty tree.
  Hive(Hive&& other);
  Hive& operator=(Hive&& other);

  HiveKey& root() { return *root_; }
  const HiveKey& root() const { return *root_; }

  // Path helpers relative to HKEY_LOCAL_MACHINE, for the simulator and tests.
  // A malformed path finds nothing; CreateKey throws std::invalid_argument.
  HiveKey* FindKey(std::string_view path);
  const HiveKey* FindKey(std::string_view path) const;
  HiveKey& CreateKey(std::string_view path);
  // Removes the key with its whole subtree; false when it does not exist.
  bool RemoveKey(std::string_view path);

  const HiveValue* FindValue(std::string_view key_path, std::string_view name) const;
  // Creates the key when missing. SetString stores the text with one
  // terminating zero, SetDword four little-endian bytes.
  void SetValue(std::string_view key_path, std::string_view name, std::uint32_t type,
                std::string data);
  void SetString(std::string_view key_path, std::string_view name, std::string_view text);
  void SetDword(std::string_view key_path, std::string_view name, std::uint32_t number);

  friend bool operator==(const Hive& a, const Hive& b) { return *a.root_ == *b.root_; }

 private:
  std::shared_ptr<HiveKey> root_;
};

// Byte helpers shared by the registry, the file format and tests.
std::string DwordBytes(std::uint32_t number);
std::string StringBytes(std::string_view text);  // text plus one zero

}  // namespace tunora::sim
