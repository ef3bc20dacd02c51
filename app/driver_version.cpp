#include "app/driver_version.h"

#include <array>
#include <string>

#include "resources/strings.h"

namespace tunora {
namespace {

constexpr std::array<std::string_view, 5> kServiceKeys = {
    "System\\CurrentControlSet\\Services\\QX1",    "System\\CurrentControlSet\\Services\\QX2",
    "System\\CurrentControlSet\\Services\\QX2DUO", "System\\CurrentControlSet\\Services\\QX3DUO",
    "System\\CurrentControlSet\\Services\\qxg64",
};
constexpr std::uint32_t kMaxSubKeys = 16;
constexpr std::string_view kDevicePrefix = "Device0";
constexpr std::uint32_t kVersionBuffer = 260;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

DriverPackageVersion ParsePackageVersion(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  DriverPackageVersion version;
  if (!text.empty() && IsDigit(text[0])) version.major = text[0] - '0';
  for (std::size_t i = 2; i < 4 && i < text.size() && IsDigit(text[i]); ++i) {
    version.minor = version.minor * 10 + (text[i] - '0');
  }
  return version;
}

DriverPackageVersion ReadDriverVersion(Platform& platform) {
  Registry& registry = platform.registry;
  RegKey service = 0;
  std::string_view service_path;
  for (std::string_view path : kServiceKeys) {
    if (registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, &service) == kErrorSuccess) {
      service_path = path;
      break;
    }
  }
  DriverPackageVersion version;
  if (service_path.empty()) {
    platform.ui.MessageBox("Error2: Unable to find driver version", kProgramName, kMbOk);
    return version;
  }
  for (std::uint32_t index = 0; index < kMaxSubKeys; ++index) {
    std::string name;
    if (registry.EnumKey(service, index, &name) != kErrorSuccess) break;
    if (name.compare(0, kDevicePrefix.size(), kDevicePrefix) != 0) continue;
    RegKey device = 0;
    const std::string path = std::string(service_path) + "\\" + name;
    // A device key that does not open ends the walk, as its close would fail.
    if (registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, &device) != kErrorSuccess) break;
    std::array<std::uint8_t, kVersionBuffer> buffer{};
    std::uint32_t size = kVersionBuffer;
    std::uint32_t type = 0;
    if (registry.QueryValue(device, "PackageVer", &type, buffer.data(), &size) == kErrorSuccess) {
      version = ParsePackageVersion(
          std::string_view(reinterpret_cast<const char*>(buffer.data()), size));
    }
    if (registry.CloseKey(device) != kErrorSuccess) break;
  }
  registry.CloseKey(service);
  return version;
}

}  // namespace tunora
