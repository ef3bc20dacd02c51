#include "registry/reg_access.h"
#include "settings/catalog_detail.h"

namespace tunora {

namespace {

std::string SettingsPath(const DriverKey& instance) { return JoinPath(instance.path, "Settings"); }

}  // namespace

bool ForEachInstanceSettingsKeyForWrite(Registry& registry, std::string_view sub_key,
                                        const std::function<void(RegKey key)>& visit) {
  bool visited = false;
  ForEachDisplayInstance(registry, [&](const DriverKey& instance) {
    // "Settings" first, then the sub-key below it.
    const std::string settings_path = SettingsPath(instance);
    if (!RegHandle::Create(registry, settings_path)) return;
    const RegHandle key = RegHandle::Create(registry, JoinPath(settings_path, sub_key));
    if (!key) return;
    visit(key.key());
    visited = true;
  });
  return visited;
}

void ForEachInstanceSettingsKeyForRead(Registry& registry, std::string_view sub_key,
                                       const std::function<void(RegKey key)>& visit) {
  ForEachDisplayInstance(registry, [&](const DriverKey& instance) {
    const RegHandle key = RegHandle::Open(registry, JoinPath(SettingsPath(instance), sub_key));
    if (key) visit(key.key());
  });
}

}  // namespace tunora
