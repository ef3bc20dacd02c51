// Registry port over advapi32's Reg*A calls on HKEY_LOCAL_MACHINE.
#pragma once

#include "platform/registry.h"

namespace tunora::win32 {

class Win32Registry : public Registry {
 public:
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
  std::int32_t FlushKey(RegKey key) override;
  // Windows stores every change at once: the change-group hint stays the
  // base class's no-op.
};

}  // namespace tunora::win32
