// Registry port: HKEY_LOCAL_MACHINE only, shaped after the Win32 Reg* calls
// so the Windows adapter is a pass-through and the simulated hive can be
// checked against the same result codes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tunora {

using RegKey = std::uint32_t;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;

// Win32 error codes the registry calls return.
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorMoreData = 234;
inline constexpr std::int32_t kErrorNoMoreItems = 259;
inline constexpr std::int32_t kErrorBadPathname = 161;
inline constexpr std::int32_t kErrorRegistryIoFailed = 1016;
inline constexpr std::int32_t kErrorKeyDeleted = 1018;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// Access rights.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;

// Names are case-insensitive and keep their case. Paths are relative to
// `parent` and joined with single backslashes; one trailing backslash is
// accepted, as Windows does.
class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyEx. On success *out holds a handle to close with CloseKey.
  virtual std::int32_t OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                               RegKey* out) = 0;
  // RegCreateKeyEx with an empty class and no options: creates every
  // missing component of `path`, or opens it when it exists.
  virtual std::int32_t CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                                 RegKey* out) = 0;
  // RegEnumKeyEx: the name of sub-key `index` in a stable order.
  // `buffer_chars` counts the terminating zero, as in Win32: a name of
  // buffer_chars characters or more gives kErrorMoreData.
  virtual std::int32_t EnumKey(RegKey key, std::uint32_t index, std::string* name,
                               std::uint32_t buffer_chars = 260) = 0;
  // RegEnumValue: name, type and data of value `index`.
  virtual std::int32_t EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                 std::uint32_t* type, std::string* data) = 0;
  // RegQueryValueEx. `data` may be null to ask for type and size only.
  // On entry *size is the buffer size; a value longer than that does not
  // read (kErrorMoreData, *size set to the needed size, buffer untouched).
  virtual std::int32_t QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueEx: stores exactly `size` bytes.
  virtual std::int32_t SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t size) = 0;
  virtual std::int32_t DeleteValue(RegKey key, std::string_view name) = 0;
  // RegDeleteKey: fails with kErrorAccessDenied while the key has sub-keys.
  virtual std::int32_t DeleteKey(RegKey parent, std::string_view path) = 0;
  virtual std::int32_t CloseKey(RegKey key) = 0;
  // RegFlushKey: returns once the key's changes are on disk, so they
  // survive a machine that stops right after. (A double that keeps
  // nothing on disk has nothing to flush.)
  virtual std::int32_t FlushKey(RegKey key) {
    (void)key;
    return kErrorSuccess;
  }

  // Marks a group of changes that belong together, such as one setting
  // written to every key of its search. An adapter may store them at once
  // at the end (the simulated hive then saves once instead of after every
  // change, and its file holds either none or all of them). Groups nest.
  // Windows has no such notion and ignores the hint.
  virtual void BeginChanges() {}
  virtual void EndChanges() {}
};

// A group of registry changes for the life of the object.
class RegistryChanges {
 public:
  explicit RegistryChanges(Registry& registry) : registry_(registry) { registry_.BeginChanges(); }
  ~RegistryChanges() { registry_.EndChanges(); }
  RegistryChanges(const RegistryChanges&) = delete;
  RegistryChanges& operator=(const RegistryChanges&) = delete;

 private:
  Registry& registry_;
};

}  // namespace tunora
