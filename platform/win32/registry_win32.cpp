#include "platform/win32/registry_win32.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace tunora::win32 {
namespace {

static_assert(kHkeyLocalMachine == 0x80000002u && kErrorMoreData == ERROR_MORE_DATA &&
              kErrorNoMoreItems == ERROR_NO_MORE_ITEMS &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED);

HKEY Key(RegKey key) { return FromNumber<HKEY>(key); }

std::int32_t Result(LONG error) { return static_cast<std::int32_t>(error); }

}  // namespace

std::int32_t Win32Registry::OpenKey(RegKey parent, std::string_view path, std::uint32_t access,
                                    RegKey* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  HKEY opened = nullptr;
  const LONG error = RegOpenKeyExA(Key(parent), std::string(path).c_str(), 0, access, &opened);
  *out = error == ERROR_SUCCESS ? ToNumber(opened) : 0;
  return Result(error);
}

std::int32_t Win32Registry::CreateKey(RegKey parent, std::string_view path, std::uint32_t access,
                                      RegKey* out) {
  if (out == nullptr) return kErrorInvalidParameter;
  char no_class[] = "";
  HKEY created = nullptr;
  DWORD disposition = 0;
  const LONG error =
      RegCreateKeyExA(Key(parent), std::string(path).c_str(), 0, no_class, REG_OPTION_NON_VOLATILE,
                      access, nullptr, &created, &disposition);
  *out = error == ERROR_SUCCESS ? ToNumber(created) : 0;
  return Result(error);
}

std::int32_t Win32Registry::EnumKey(RegKey key, std::uint32_t index, std::string* name,
                                    std::uint32_t buffer_chars) {
  if (name == nullptr) return kErrorInvalidParameter;
  std::vector<char> buffer(buffer_chars + 1);
  DWORD length = buffer_chars;
  const LONG error =
      RegEnumKeyExA(Key(key), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
  if (error == ERROR_SUCCESS) name->assign(buffer.data(), length);
  return Result(error);
}

std::int32_t Win32Registry::EnumValue(RegKey key, std::uint32_t index, std::string* name,
                                      std::uint32_t* type, std::string* data) {
  if (name == nullptr) return kErrorInvalidParameter;
  // The port hands back the whole value, so the buffers are sized from the
  // key's largest name and data; a value that grows meanwhile asks again.
  DWORD name_chars = 0;
  DWORD data_bytes = 0;
  LONG error = RegQueryInfoKeyA(Key(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, &name_chars, &data_bytes, nullptr, nullptr);
  if (error != ERROR_SUCCESS) return Result(error);
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::vector<char> name_buffer(name_chars + 1);
    std::vector<BYTE> data_buffer(data_bytes + 1);
    DWORD name_length = name_chars + 1;
    DWORD data_length = data_bytes + 1;
    DWORD value_type = 0;
    error = RegEnumValueA(Key(key), index, name_buffer.data(), &name_length, nullptr, &value_type,
                          data_buffer.data(), &data_length);
    if (error == ERROR_MORE_DATA) {
      name_chars = name_chars * 2 + 256;
      data_bytes = data_bytes * 2 + 1024;
      continue;
    }
    if (error != ERROR_SUCCESS) return Result(error);
    name->assign(name_buffer.data(), name_length);
    if (type != nullptr) *type = value_type;
    if (data != nullptr)
      data->assign(reinterpret_cast<const char*>(data_buffer.data()), data_length);
    return kErrorSuccess;
  }
  return Result(error);
}

std::int32_t Win32Registry::QueryValue(RegKey key, std::string_view name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  // Windows leaves a too-small buffer undefined; the port promises it
  // untouched, so the value is read into a buffer of our own first.
  // A zero-length buffer must still be a buffer, or Windows would answer
  // the size question instead.
  std::vector<BYTE> buffer(data != nullptr ? *size + 1 : 0);
  DWORD value_type = 0;
  DWORD length = size != nullptr ? *size : 0;
  const LONG error = RegQueryValueExA(Key(key), std::string(name).c_str(), nullptr, &value_type,
                                      data != nullptr ? buffer.data() : nullptr,
                                      size != nullptr ? &length : nullptr);
  if (error == ERROR_SUCCESS || error == ERROR_MORE_DATA) {
    if (type != nullptr) *type = value_type;
    if (size != nullptr) *size = length;
  }
  if (error == ERROR_SUCCESS && data != nullptr && length != 0) {
    std::memcpy(data, buffer.data(), length);
  }
  return Result(error);
}

std::int32_t Win32Registry::SetValue(RegKey key, std::string_view name, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
  return Result(RegSetValueExA(Key(key), std::string(name).c_str(), 0, type, data, size));
}

std::int32_t Win32Registry::DeleteValue(RegKey key, std::string_view name) {
  return Result(RegDeleteValueA(Key(key), std::string(name).c_str()));
}

std::int32_t Win32Registry::DeleteKey(RegKey parent, std::string_view path) {
  const std::string sub_key(path);
  // Windows 98 deletes a key with all its sub-keys; NT refuses. The port
  // promises NT's answer everywhere, so a key with sub-keys stays.
  HKEY key = nullptr;
  if (RegOpenKeyExA(Key(parent), sub_key.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    DWORD sub_keys = 0;
    const LONG error = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &sub_keys, nullptr, nullptr,
                                        nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (error == ERROR_SUCCESS && sub_keys != 0) return kErrorAccessDenied;
  }
  return Result(RegDeleteKeyA(Key(parent), sub_key.c_str()));
}

std::int32_t Win32Registry::CloseKey(RegKey key) { return Result(RegCloseKey(Key(key))); }

std::int32_t Win32Registry::FlushKey(RegKey key) { return Result(RegFlushKey(Key(key))); }

}  // namespace tunora::win32
