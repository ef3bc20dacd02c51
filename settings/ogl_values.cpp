// The other OpenGL values: the driver-defaults reset, the sub-image cache
// size and the advanced-multitexturing switch.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "registry/reg_access.h"
#include "settings/catalog_detail.h"

namespace tunora {

namespace {

constexpr std::string_view kTexUpdateAreaSize = "User3D.TexUpdateAreaSize";
constexpr std::string_view kTextureEnvCombine = "User3D.TextureEnvCombineExtEnable";

// Every tuning value the driver-defaults preset removes. The sub-image
// cache size is not among them: it has a field of its own, whose writer
// runs right after the reset, and a cleared field means "leave the
// driver's value as it is".
constexpr std::array<std::string_view, 13> kOglTuningValues = {"User3D.PageFlipEnable",
                                                               "User3D.SwapIntervalExtFlags",
                                                               "User3D.SwapIntervalExtEnable",
                                                               "User3D.BufferRegionExtEnable",
                                                               "User3D.SIMD",
                                                               "User3D.AllowGDI",
                                                               "User3D.16BitTextures",
                                                               "User3D.NoPost",
                                                               "User3D.NoSwap",
                                                               "User3D.NoFill",
                                                               "User3D.FastZOffset",
                                                               "User3D.NumBuffers",
                                                               "User3D.BufferSize"};

// Bytes to kilobytes, kept to the 22 bits a 32-bit byte count leaves.
std::int32_t KilobytesOf(std::uint32_t bytes) {
  return static_cast<std::int32_t>((bytes >> 10) & 0x3FFFFFu);
}

std::uint32_t BytesOf(std::int32_t kilobytes) {
  return static_cast<std::uint32_t>(kilobytes) << 10;
}

void ForEachFixedDeviceKey(Registry& registry, const std::function<void(RegKey key)>& visit) {
  for (std::string_view path : kFixedDeviceKeyList) {
    const RegHandle key = RegHandle::Open(registry, path);
    if (key) visit(key.key());
  }
}

// Where the NT multitexturing writer puts the switch: in each display
// driver's service, its first sub-key, when that is a device key. One
// attempt per service.
std::vector<std::string> MultitexturingDeviceKeys(Registry& registry) {
  std::vector<std::string> paths;
  for (std::string_view service :
       {kServiceQx1, kServiceQx2, kServiceQx2Duo, kServiceQx3Duo, kServiceQxg64}) {
    const std::string service_path = ServiceKeyPath(service);
    const RegHandle service_key = RegHandle::Open(registry, service_path);
    std::string first;
    if (!service_key ||
        registry.EnumKey(service_key.key(), 0, &first, kKeyNameBufferChars) != kErrorSuccess) {
      continue;
    }
    if (StartsWith(first, "Device")) paths.push_back(JoinPath(service_path, first));
  }
  return paths;
}

// The multitexturing reader's and remover's keys: the fixed list first, in
// its order, then on the NT road the device keys the writer uses that the
// list lacks (the QX3 and dual QX2 drivers' keys), so a switch turned on
// there reads back and can be turned off again.
void ForEachMultitexturingKey(const SettingsContext& context,
                              const std::function<void(RegKey key)>& visit) {
  Registry& registry = context.registry;
  ForEachFixedDeviceKey(registry, visit);
  if (!IsNtRoad(context.platform_kind)) return;
  for (const std::string& path : MultitexturingDeviceKeys(registry)) {
    if (std::find(kFixedDeviceKeyList.begin(), kFixedDeviceKeyList.end(), path) !=
        kFixedDeviceKeyList.end()) {
      continue;
    }
    if (const RegHandle key = RegHandle::Open(registry, path)) visit(key.key());
  }
}

bool WriteSubImageCache9x(Registry& registry, std::uint32_t bytes) {
  for (std::string_view parent :
       {"Software\\Quillex\\", "Software\\Quillex\\Panelix\\",
        "Software\\Quillex\\Panelix\\Version5\\", "Software\\Quillex\\Panelix\\Version6\\"}) {
    RegHandle::Create(registry, parent);
  }
  for (std::string_view profile : kPanelixProfileKeys) RegHandle::Create(registry, profile);
  bool written = false;
  const auto write = [&](const RegHandle& key) {
    if (!key) return;
    SetNumber(registry, key.key(), kTexUpdateAreaSize, bytes);
    written = true;
  };
  write(RegHandle::Create(registry, kPanelixProfileKeys[0]));
  write(RegHandle::Open(registry, kPanelixProfileKeys[1]));
  write(RegHandle::Open(registry, kPanelixProfileKeys[2]));
  return written;
}

}  // namespace

void ResetOglDefaults(const SettingsContext& context) {
  Registry& registry = context.registry;
  const auto remove_all = [&](RegKey key) {
    for (std::string_view name : kOglTuningValues) registry.DeleteValue(key, name);
  };
  ForEachFixedDeviceKey(registry, remove_all);
  if (const RegHandle key = RegHandle::Open(registry, kFixedDeviceKeyList[0])) {
    remove_all(key.key());
  }
}

std::int32_t ReadSubImageCache(const SettingsContext& context) {
  Registry& registry = context.registry;
  std::optional<std::uint32_t> bytes;
  const auto read = [&](RegKey key) {
    if (const auto value = QueryNumber(registry, key, kTexUpdateAreaSize)) bytes = value;
  };
  if (IsNtRoad(context.platform_kind)) {
    // Every sub-key of each service, whatever its name.
    RunServiceSearch(registry, ServiceSearch::kFamilyAndQxg64, context.chip_family, "",
                     DeviceKeyMode::kRead, [&](RegKey key, const DriverKey&) { read(key); });
  } else if (context.platform_kind == kPlatform9x) {
    for (std::string_view path :
         {kPanelixProfileKeys[2], kPanelixProfileKeys[1], kPanelixProfileKeys[0]}) {
      if (const RegHandle key = RegHandle::Open(registry, path)) read(key.key());
    }
  }
  return bytes ? KilobytesOf(*bytes) : kSubImageCacheDefaultKb;
}

bool WriteSubImageCache(const SettingsContext& context, std::int32_t kilobytes) {
  Registry& registry = context.registry;
  const std::uint32_t bytes = BytesOf(kilobytes);
  if (IsNtRoad(context.platform_kind)) {
    const auto outcome = RunServiceSearch(
        registry, ServiceSearch::kFamilyAndQxg64, context.chip_family, "Device",
        DeviceKeyMode::kWrite,
        [&](RegKey key, const DriverKey&) { SetNumber(registry, key, kTexUpdateAreaSize, bytes); });
    return outcome.device_keys_visited > 0;
  }
  if (context.platform_kind == kPlatform9x) return WriteSubImageCache9x(registry, bytes);
  return false;
}

std::int32_t ReadMultitexturing(const SettingsContext& context) {
  Registry& registry = context.registry;
  std::uint8_t first_byte = 0;
  ForEachMultitexturingKey(context, [&](RegKey key) {
    if (const auto bytes = QueryFourBytes(registry, key, kTextureEnvCombine)) {
      first_byte = (*bytes)[0];
    }
  });
  return first_byte == 1 ? 1 : 0;
}

void EnableMultitexturing(const SettingsContext& context) {
  Registry& registry = context.registry;
  if (context.platform_kind == kPlatform9x) {
    for (std::string_view path : kPanelixProfileKeys) {
      if (const RegHandle key = RegHandle::Open(registry, path)) {
        SetNumber(registry, key.key(), kTextureEnvCombine, 1);
      }
    }
    return;
  }
  if (!IsNtRoad(context.platform_kind)) return;
  for (const std::string& path : MultitexturingDeviceKeys(registry)) {
    if (const RegHandle device = RegHandle::Open(registry, path)) {
      SetNumber(registry, device.key(), kTextureEnvCombine, 1);
    }
  }
}

void DisableMultitexturing(const SettingsContext& context) {
  Registry& registry = context.registry;
  ForEachMultitexturingKey(context,
                           [&](RegKey key) { registry.DeleteValue(key, kTextureEnvCombine); });
}

}  // namespace tunora
