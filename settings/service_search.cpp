// NT road: service keys, their device sub-keys and the searches over them.
#include <vector>

#include "registry/reg_access.h"
#include "settings/driver_keys.h"

namespace tunora {

namespace {

// The device sub-key foreign sub-keys ("Enum", "Security") are redirected to.
constexpr std::string_view kFallbackDevice = "Device0";

// Sub-key names of a service key, at most kMaxDeviceSubKeys, read before any
// visit: a writer may create "Device0" below the same key, and that must not
// shift the indices still to come.
std::vector<std::string> DeviceSubKeyNames(Registry& registry, RegKey service_key) {
  std::vector<std::string> names;
  for (std::uint32_t index = 0; index < kMaxDeviceSubKeys; ++index) {
    std::string name;
    if (registry.EnumKey(service_key, index, &name, kKeyNameBufferChars) != kErrorSuccess) {
      break;
    }
    names.push_back(std::move(name));
  }
  return names;
}

bool IsQx1Family(ChipFamily family) { return family >= 200 && family <= 204; }
bool IsQx2Family(ChipFamily family) { return family == 400 || family == 450 || family == 451; }

// Runs ForEachDeviceKey service by service and keeps the tally.
class SearchRun {
 public:
  SearchRun(Registry& registry, std::string_view prefix, DeviceKeyMode mode,
            const DeviceKeyVisitor& visit)
      : registry_(registry), prefix_(prefix), mode_(mode), visit_(visit) {}

  // Returns whether the service key opened.
  bool Visit(std::string_view service) {
    const bool opened = ForEachDeviceKey(registry_, ServiceKeyPath(service), prefix_, mode_,
                                         [this](RegKey key, const DriverKey& where) {
                                           ++outcome_.device_keys_visited;
                                           visit_(key, where);
                                         });
    outcome_.any_service_opened = outcome_.any_service_opened || opened;
    return opened;
  }
  // The first service if it opens, else the second.
  void VisitEither(std::string_view first, std::string_view second) {
    if (!Visit(first)) Visit(second);
  }
  const SearchOutcome& outcome() const { return outcome_; }

 private:
  Registry& registry_;
  std::string_view prefix_;
  DeviceKeyMode mode_;
  const DeviceKeyVisitor& visit_;
  SearchOutcome outcome_;
};

// The four family searches differ only in which QX2 service comes first,
// whether the dual driver is followed by the single one, and whether the
// dual-display PCI board (451) takes part.
void RunFamilySearch(SearchRun& run, ServiceSearch search, ChipFamily family) {
  if (IsQx1Family(family)) {
    run.Visit(kServiceQx1);
  } else if (family == kFamilyQx3) {
    run.Visit(kServiceQx3Duo);
  } else if (IsQx2Family(family)) {
    if (family == kFamilyQx2eDuoPci && (search == ServiceSearch::kDualElseSingleNoDuoPci ||
                                        search == ServiceSearch::kSingleElseDualNoDuoPci)) {
      return;
    }
    switch (search) {
      case ServiceSearch::kDualThenSingle:
        // The dual driver first; whether or not it is there, the single
        // one gets the setting too.
        run.Visit(kServiceQx2Duo);
        run.Visit(kServiceQx2);
        break;
      case ServiceSearch::kDualElseSingleNoDuoPci:
        run.VisitEither(kServiceQx2Duo, kServiceQx2);
        break;
      default:  // single else dual
        run.VisitEither(kServiceQx2, kServiceQx2Duo);
        break;
    }
  }
}

}  // namespace

std::string ServiceKeyPath(std::string_view service) {
  return JoinPath("System\\CurrentControlSet\\Services", service);
}

bool ForEachDeviceKey(Registry& registry, std::string_view service_key_path,
                      std::string_view prefix, DeviceKeyMode mode, const DeviceKeyVisitor& visit) {
  std::vector<std::string> names;
  {
    const RegHandle service = RegHandle::Open(registry, service_key_path);
    if (!service) return false;
    names = DeviceSubKeyNames(registry, service.key());
  }
  for (const std::string& name : names) {
    // Writers test for "Device" whatever prefix they name; readers use
    // theirs ("Device0" or "Device").
    const bool carries_prefix =
        StartsWith(name, mode == DeviceKeyMode::kWrite ? std::string_view("Device") : prefix);
    if (mode == DeviceKeyMode::kRead && !carries_prefix) continue;
    DriverKey where{
        JoinPath(service_key_path, carries_prefix ? std::string_view(name) : kFallbackDevice),
        DriverKeyKind::kNtDevice};
    const RegHandle device = carries_prefix ? RegHandle::Open(registry, where.path)
                                            : RegHandle::Create(registry, where.path);
    if (!device) break;
    visit(device.key(), where);
  }
  return true;
}

SearchOutcome RunServiceSearch(Registry& registry, ServiceSearch search, ChipFamily family,
                               std::string_view prefix, DeviceKeyMode mode,
                               const DeviceKeyVisitor& visit) {
  SearchRun run(registry, prefix, mode, visit);
  switch (search) {
    case ServiceSearch::kDualThenSingle:
    case ServiceSearch::kSingleElseDual:
    case ServiceSearch::kDualElseSingleNoDuoPci:
    case ServiceSearch::kSingleElseDualNoDuoPci:
      RunFamilySearch(run, search, family);
      break;
    case ServiceSearch::kFamilyAndQxg64:
      if (IsQx1Family(family)) {
        run.Visit(kServiceQx1);
      } else if (IsQx2Family(family)) {
        run.Visit(kServiceQx2);
        run.Visit(kServiceQx2Duo);
      }
      run.Visit(kServiceQxg64);
      break;
    case ServiceSearch::kEveryService:
      for (std::string_view service :
           {kServiceQx1, kServiceQx2, kServiceQx2Duo, kServiceQx3Duo, kServiceQxg64}) {
        run.Visit(service);
      }
      break;
    case ServiceSearch::kQxg64Only:
      run.Visit(kServiceQxg64);
      break;
  }
  return run.outcome();
}

}  // namespace tunora
