// Pieces the catalog's readers and writers share; not for use outside
// settings/.
#pragma once

#include <functional>
#include <string_view>

#include "settings/catalog.h"
#include "settings/driver_keys.h"

namespace tunora {

inline BoardIds BoardOf(const SettingsContext& context) {
  return {context.device_id, context.subsystem_id};
}

// Windows 98/ME: the keys below "Settings" of each of the maker's display
// instances ("CPU", "DirectX", "Engine", "GDI").
//
// Writers: creates "Settings" and then the sub-key where missing, hands the
// sub-key to `visit`. Returns whether any sub-key was visited.
bool ForEachInstanceSettingsKeyForWrite(Registry& registry, std::string_view sub_key,
                                        const std::function<void(RegKey key)>& visit);
// Readers: visits the sub-key of each instance that has it; creates nothing.
void ForEachInstanceSettingsKeyForRead(Registry& registry, std::string_view sub_key,
                                       const std::function<void(RegKey key)>& visit);

// Texts the 98/ME driver keeps its settings in are short ("0", "-1").
inline constexpr std::uint32_t kInstanceTextBytes = 4;

}  // namespace tunora
