// The keys of the OpenGL preset: where the writer creates them and which
// one the reader looks at.
#include "registry/reg_access.h"
#include "settings/driver_keys.h"

namespace tunora {

namespace {

struct KeyWithParent {
  std::string_view parent;
  std::string_view target;
};

// Search S8 in its order. The dual driver's key stands in for the single
// driver's, used only when that driver's service does not exist.
constexpr KeyWithParent kQxg64Device0 = {"SYSTEM\\CurrentControlSet\\Services\\qxg64\\",
                                         "SYSTEM\\CurrentControlSet\\Services\\qxg64\\Device0"};
constexpr KeyWithParent kQx1Device0 = {"SYSTEM\\CurrentControlSet\\Services\\QX1\\",
                                       "SYSTEM\\CurrentControlSet\\Services\\QX1\\Device0"};
constexpr KeyWithParent kQx2Device0 = {"SYSTEM\\CurrentControlSet\\Services\\QX2\\",
                                       "SYSTEM\\CurrentControlSet\\Services\\QX2\\Device0"};
constexpr KeyWithParent kQx2DuoDevice0 = {"SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\",
                                          "SYSTEM\\CurrentControlSet\\Services\\QX2DUO\\Device0"};

// How a target's parent is reached: the companion application's profile
// parents are ours to create; a driver's service key is only opened, since
// a service key of a driver that is not installed would be taken for one
// by the driver-version reader and the service searches.
enum class Parent { kCreate, kOpenOnly };

// Reaches the parent, then creates the target; false when the parent
// cannot be had.
bool VisitTarget(Registry& registry, const KeyWithParent& key, Parent parent, DriverKeyKind kind,
                 const DeviceKeyVisitor& visit, int* visited) {
  const RegHandle parent_key = parent == Parent::kCreate ? RegHandle::Create(registry, key.parent)
                                                         : RegHandle::Open(registry, key.parent);
  if (!parent_key) return false;
  const RegHandle target = RegHandle::Create(registry, key.target);
  if (target) {
    visit(target.key(), DriverKey{std::string(key.target), kind});
    ++*visited;
  }
  return true;
}

bool VisitDeviceZero(Registry& registry, const KeyWithParent& key, const DeviceKeyVisitor& visit,
                     int* visited) {
  return VisitTarget(registry, key, Parent::kOpenOnly, DriverKeyKind::kNtDevice, visit, visited);
}

}  // namespace

int ForEachOpenGlWriteKey(Registry& registry, PlatformKind platform,
                          const DeviceKeyVisitor& visit) {
  int visited = 0;
  if (platform == kPlatformWin2kXp) {
    VisitDeviceZero(registry, kQxg64Device0, visit, &visited);
    VisitDeviceZero(registry, kQx1Device0, visit, &visited);
    if (!VisitDeviceZero(registry, kQx2Device0, visit, &visited)) {
      VisitDeviceZero(registry, kQx2DuoDevice0, visit, &visited);
    }
  } else if (platform == kPlatformNt4) {
    VisitDeviceZero(registry, kQxg64Device0, visit, &visited);
  } else if (platform == kPlatform9x) {
    for (std::size_t i = 0; i < kPanelixProfileKeys.size(); ++i) {
      VisitTarget(registry, {kPanelixProfileParents[i], kPanelixProfileKeys[i]}, Parent::kCreate,
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
      // The key the writer uses: the single driver's while its service
      // opens, else the dual driver's. Reading the dual driver's key
      // whenever that service exists showed no preset on a machine with
      // both drivers, and the next Apply then reset the preset written.
      const bool single_installed =
          static_cast<bool>(RegHandle::Open(registry, kQx2Device0.parent));
      const bool dual_installed =
          static_cast<bool>(RegHandle::Open(registry, kQx2DuoDevice0.parent));
      const bool dual = !single_installed && dual_installed;
      return std::string(dual ? kQx2DuoDevice0.target : kQx2Device0.target);
    }
  } else if (platform == kPlatformNt4) {
    if (family == kFamilyQx1Agp || family == kFamilyQx2) {
      return std::string(kQxg64Device0.target);
    }
  }
  return std::nullopt;
}

}  // namespace tunora
