// The keys of the OpenGL preset: where the writer creates them and which
// one the reader looks at.
#include "settings/driver_keys.h"
#include "settings/reg_access.h"

namespace tunora {

namespace {

struct KeyWithParent {
  std::string_view parent;
  std::string_view target;
};

// Search S8 in its order. The dual driver's key is a stand-in, used only
// when the single driver's service key cannot be created.
constexpr KeyWithParent kQxg64Device0 = {"SYSTEM\\CurrentControlSet\\Services\\qxg64\\",
                                         "SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0"};
constexpr KeyWithParent kQx1Device0 = {"SYSTEM\\CurrentControlSet\\Services\\QX1\\",
                                       "SYSTEM\\CurrentControlSet\\Services\\QX1\\Device0"};
constexpr KeyWithParent kQx2Device0 = {"SYSTEM\\CurrentControlSet\\Services\\QX2\\",
                                       "SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0"};
constexpr KeyWithParent kQx2DuoDevice0 = {"SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\",
                                          "SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\Device0"};

// Creates the parent, then the target; false when the parent fails.
bool CreateAndVisit(Registry& registry, const KeyWithParent& key, DriverKeyKind kind,
                    const DeviceKeyVisitor& visit, int* visited) {
  if (!RegHandle::Create(registry, key.parent)) return false;
  const RegHandle target = RegHandle::Create(registry, key.target);
  if (target) {
    visit(target.key(), DriverKey{std::string(key.target), kind});
    ++*visited;
  }
  return true;
}

}  // namespace

int ForEachOpenGlWriteKey(Registry& registry, PlatformKind platform,
                          const DeviceKeyVisitor& visit) {
  int visited = 0;
  if (platform == kPlatformWin2kXp) {
    CreateAndVisit(registry, kQxg64Device0, DriverKeyKind::kNtDevice, visit, &visited);
    CreateAndVisit(registry, kQx1Device0, DriverKeyKind::kNtDevice, visit, &visited);
    if (!CreateAndVisit(registry, kQx2Device0, DriverKeyKind::kNtDevice, visit, &visited)) {
      CreateAndVisit(registry, kQx2DuoDevice0, DriverKeyKind::kNtDevice, visit, &visited);
    }
  } else if (platform == kPlatformNt4) {
    CreateAndVisit(registry, kQxg64Device0, DriverKeyKind::kNtDevice, visit, &visited);
  } else if (platform == kPlatform9x) {
    for (std::size_t i = 0; i < kPanelixProfileKeys.size(); ++i) {
      CreateAndVisit(registry, {kPanelixProfileParents[i], kPanelixProfileKeys[i]},
                     DriverKeyKind::kProfile, visit, &visited);
    }
  }
  return visited;
}

std::optional<std::string> OpenGlReadKeyPath(Registry& registry, PlatformKind platform,
                                             ChipFamily family) {
  if (platform == kPlatformWin2kXp) {
    if (family >= 200 && family <= 299) return std::string(kQx1Device0.target);
    if (family >= 400 && family <= 499) {
      const bool dual_installed = static_cast<bool>(RegHandle::Open(registry, kQx2DuoDevice0.parent));
      return std::string(dual_installed ? kQx2DuoDevice0.target : kQx2Device0.target);
    }
  } else if (platform == kPlatformNt4) {
    if (family == kFamilyQx1Agp || family == kFamilyQx2) {
      return std::string(kQxg64Device0.target);
    }
  }
  return std::nullopt;
}

}  // namespace tunora
