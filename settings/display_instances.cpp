// Windows 98/ME: the display-class instance keys that belong to the maker.
#include "registry/reg_access.h"
#include "settings/driver_keys.h"

namespace tunora {

namespace {

constexpr std::string_view kMakerName = "Quillex";
constexpr std::uint32_t kDriverDescBytes = 260;

bool BelongsToMaker(Registry& registry, const std::string& instance_path) {
  const RegHandle instance = RegHandle::Open(registry, instance_path);
  if (!instance) return false;
  const auto description = QueryText(registry, instance.key(), "DriverDesc", kDriverDescBytes);
  return description && StartsWith(*description, kMakerName);
}

}  // namespace

bool ForEachDisplayInstance(Registry& registry,
                            const std::function<void(const DriverKey& instance)>& visit) {
  const RegHandle display_class = RegHandle::Open(registry, kDisplayClassPath);
  if (!display_class) return false;
  bool visited = false;
  for (std::uint32_t index = 0;; ++index) {
    std::string name;
    if (registry.EnumKey(display_class.key(), index, &name, kKeyNameBufferChars) != kErrorSuccess) {
      break;
    }
    DriverKey instance{JoinPath(kDisplayClassPath, name), DriverKeyKind::k9xInstance};
    if (!BelongsToMaker(registry, instance.path)) continue;
    visit(instance);
    visited = true;
  }
  return visited;
}

}  // namespace tunora
