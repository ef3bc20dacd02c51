// Management-instrumentation port over COM and the WMI locator. Handles
// are the interface pointers. Every COM and OLE automation call is looked
// up at run time: only the hardware log needs them, and Windows without
// DCOM lacks CoInitializeSecurity and CoSetProxyBlanket.
#pragma once

#include "platform/wmi.h"

namespace tunora::win32 {

class Win32Wmi : public Wmi {
 public:
  HResult Initialize() override;
  void Uninitialize() override;
  HResult InitializeSecurity(std::uint32_t authn_level, std::uint32_t imp_level) override;
  HResult CreateLocator(WmiHandle* locator) override;
  HResult ConnectServer(WmiHandle locator, std::string_view namespace_path,
                        WmiHandle* services) override;
  HResult SetProxyBlanket(WmiHandle services, std::uint32_t authn_service,
                          std::uint32_t authn_level, std::uint32_t imp_level) override;
  HResult CreateInstanceEnum(WmiHandle services, std::string_view class_name, std::int32_t flags,
                             WmiHandle* enumerator) override;
  HResult Next(WmiHandle enumerator, std::int32_t timeout_ms, WmiHandle* object,
               std::uint32_t* returned) override;
  HResult Get(WmiHandle object, std::string_view property, WmiValue* value) override;
  std::uint32_t Release(WmiHandle handle) override;
};

}  // namespace tunora::win32
