#include "app/driver_version.h"

#include <array>
#include <string>

#include "registry/reg_access.h"
#include "resources/strings.h"
#include "settings/driver_keys.h"

namespace tunora {
namespace {

// The display drivers' services, in the order they are tried.
constexpr std::array<std::string_view, 5> kServices = {kServiceQx1, kServiceQx2, kServiceQx2Duo,
                                                       kServiceQx3Duo, kServiceQxg64};
constexpr std::string_view kDevicePrefix = "Device0";
constexpr std::uint32_t kVersionBuffer = 260;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DriverVersion ParsePackageVersion(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  DriverVersion version;
  if (!text.empty() && IsDigit(text[0])) version.major = text[0] - '0';
  for (std::size_t i = 2; i < 4 && i < text.size() && IsDigit(text[i]); ++i) {
    version.minor = version.minor * 10 + (text[i] - '0');
  }
  return version;
}

DriverVersion ReadDriverVersion(Platform& platform) {
  Registry& registry = platform.registry;
  RegHandle service;
  std::string service_path;
  for (std::string_view name : kServices) {
    service_path = ServiceKeyPath(name);
    service = RegHandle::Open(registry, service_path);
    if (service) break;
  }
  DriverVersion version;
  if (!service) {
    platform.ui.MessageBox("Error2: Unable to find driver version", kProgramName, kMbOk);
    return version;
  }
  for (std::uint32_t index = 0; index < kMaxDeviceSubKeys; ++index) {
    std::string name;
    if (registry.EnumKey(service.key(), index, &name) != kErrorSuccess) break;
    if (!StartsWith(name, kDevicePrefix)) continue;
    // A device key that does not open ends the walk, as its close would fail.
    const RegHandle device = RegHandle::Open(registry, JoinPath(service_path, name));
    if (!device) break;
    if (const auto text = QueryText(registry, device.key(), "PackageVer", kVersionBuffer)) {
      version = ParsePackageVersion(*text);
    }
  }
  return version;
}

}  // namespace tunora
