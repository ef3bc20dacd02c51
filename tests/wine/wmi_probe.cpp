// The WMI adapter under Wine: connects to the local namespace the way the
// hardware log does and enumerates a few classes, one of them a class
// Wine lacks, printing one line per class:
//   Win32_OperatingSystem: 1 instance, Caption "..."
// Ends with 0 when every call that must succeed did, 1 otherwise.
#include <cstdio>
#include <string>

#include "platform/win32/wmi_win32.h"

namespace {

using namespace tunora;

struct Probe {
  const char* class_name;
  const char* property;  // read from the first instance; null for none
};

constexpr Probe kProbes[] = {
    {"Win32_OperatingSystem", "Caption"},
    {"Win32_Processor", "Name"},
    {"Win32_Processor", "NumberOfCores"},
    {"Win32_Battery", nullptr},
};

std::string Show(const WmiValue& value) {
  switch (value.type) {
    case WmiType::kNull:
      return "null";
    case WmiType::kText:
      return "\"" + value.text + "\"";
    case WmiType::kInt32:
      return std::to_string(value.number);
    case WmiType::kBool:
      return value.boolean ? "TRUE" : "FALSE";
    case WmiType::kOther:
      break;
  }
  return "other";
}

bool Check(const char* call, HResult result) {
  if (!Failed(result)) return true;
  std::printf("%s failed: 0x%lx\n", call, static_cast<unsigned long>(result));
  return false;
}

// Every instance of the class, reading `property` from the first.
bool Enumerate(Wmi& wmi, WmiHandle services, const Probe& probe) {
  WmiHandle enumerator = kNullWmiHandle;
  if (!Check(
          "CreateInstanceEnum",
          wmi.CreateInstanceEnum(
              services, probe.class_name,
              kWbemFlagForwardOnly | kWbemFlagReturnImmediately | kWbemFlagShallow, &enumerator)))
    return false;
  int instances = 0;
  bool ok = true;
  std::string shown;
  for (;;) {
    WmiHandle object = kNullWmiHandle;
    std::uint32_t returned = 0;
    const HResult result = wmi.Next(enumerator, 6000, &object, &returned);
    if (returned != 1) {
      ok = Check("Next", result) && ok;
      break;
    }
    if (instances++ == 0 && probe.property != nullptr) {
      WmiValue value;
      ok = Check("Get", wmi.Get(object, probe.property, &value)) && ok;
      shown = std::string(", ") + probe.property + " " + Show(value);
    }
    wmi.Release(object);
  }
  wmi.Release(enumerator);
  std::printf("%s: %d instance%s%s\n", probe.class_name, instances, instances == 1 ? "" : "s",
              shown.c_str());
  return ok;
}

}  // namespace

int main() {
  win32::Win32Wmi wmi;
  if (!Check("Initialize", wmi.Initialize())) return 1;
  // Other failures are the caller's to accept, as the log does.
  const HResult security = wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate);
  std::printf("InitializeSecurity: 0x%lx\n", static_cast<unsigned long>(security));
  WmiHandle locator = kNullWmiHandle;
  WmiHandle services = kNullWmiHandle;
  bool ok = Check("CreateLocator", wmi.CreateLocator(&locator)) &&
            Check("ConnectServer", wmi.ConnectServer(locator, "\\\\.\\root\\cimv2", &services));
  if (ok) {
    wmi.SetProxyBlanket(services, kRpcCAuthnWinNt, kRpcCAuthnLevelCall, kRpcCImpLevelImpersonate);
    for (const Probe& probe : kProbes) ok = Enumerate(wmi, services, probe) && ok;
    // A class WMI has never heard of.
    WmiHandle enumerator = kNullWmiHandle;
    const HResult missing =
        wmi.CreateInstanceEnum(services, "Win32_NoSuchClass", kWbemFlagForwardOnly, &enumerator);
    std::printf("Win32_NoSuchClass: 0x%lx\n", static_cast<unsigned long>(missing));
    if (enumerator != kNullWmiHandle) wmi.Release(enumerator);
  }
  wmi.Release(services);
  wmi.Release(locator);
  wmi.Uninitialize();
  return ok ? 0 : 1;
}
