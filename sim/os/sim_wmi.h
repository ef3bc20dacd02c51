// Management instrumentation on the simulated PC. No repository yet: COM
// initialises and the locator is created, but connecting to a namespace
// fails as Windows does for one that does not exist. The hardware-log
// work fills the repository from the machine profile.
#pragma once

#include "platform/wmi.h"

namespace tunora::sim {

class SimWmi : public Wmi {
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

 private:
  static constexpr WmiHandle kLocator = 1;
  int initialised_ = 0;
  bool security_set_ = false;
  int locators_ = 0;
};

}  // namespace tunora::sim
