#include "sim/os/sim_wmi.h"

namespace tunora::sim {

HResult SimWmi::Initialize() { return initialised_++ == 0 ? kSOk : kSFalse; }

void SimWmi::Uninitialize() {
  if (initialised_ > 0) --initialised_;
}

// COM takes the process's security settings once.
HResult SimWmi::InitializeSecurity(std::uint32_t, std::uint32_t) {
  if (security_set_) return kRpcETooLate;
  security_set_ = true;
  return kSOk;
}

HResult SimWmi::CreateLocator(WmiHandle* locator) {
  ++locators_;
  *locator = kLocator;
  return kSOk;
}

HResult SimWmi::ConnectServer(WmiHandle locator, std::string_view, WmiHandle* services) {
  *services = kNullWmiHandle;
  if (locator != kLocator || locators_ == 0) return kWbemEInvalidParameter;
  return kWbemEInvalidNamespace;
}

// No services handle is ever handed out, so the calls on one fail.
HResult SimWmi::SetProxyBlanket(WmiHandle, std::uint32_t, std::uint32_t, std::uint32_t) {
  return kWbemEInvalidParameter;
}

HResult SimWmi::CreateInstanceEnum(WmiHandle, std::string_view, std::int32_t,
                                   WmiHandle* enumerator) {
  *enumerator = kNullWmiHandle;
  return kWbemEInvalidParameter;
}

HResult SimWmi::Next(WmiHandle, std::int32_t, WmiHandle* object, std::uint32_t* returned) {
  *object = kNullWmiHandle;
  *returned = 0;
  return kWbemEInvalidParameter;
}

HResult SimWmi::Get(WmiHandle, std::string_view, WmiValue* value) {
  *value = {};
  return kWbemEInvalidParameter;
}

std::uint32_t SimWmi::Release(WmiHandle handle) {
  if (handle == kLocator && locators_ > 0) return static_cast<std::uint32_t>(--locators_);
  return 0;
}

}  // namespace tunora::sim
