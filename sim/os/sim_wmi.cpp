#include "sim/os/sim_wmi.h"

#include <algorithm>

#include "sim/os/hive.h"

namespace tunora::sim {
namespace {

// Forward slashes as backslashes, and the local server prefix "\\.\"
// dropped, so only the namespace's own path remains.
std::string NamespaceKey(std::string_view path) {
  std::string key(path);
  std::replace(key.begin(), key.end(), '/', '\\');
  if (key.rfind("\\\\.\\", 0) == 0) key.erase(0, 4);
  return key;
}

}  // namespace

bool SameNamespace(std::string_view a, std::string_view b) {
  return NamesEqual(NamespaceKey(a), NamespaceKey(b));
}

HResult SimWmi::Initialize() {
  if (repository_.initialize_result) return *repository_.initialize_result;
  return initialised_++ == 0 ? kSOk : kSFalse;
}

void SimWmi::Uninitialize() {
  if (initialised_ > 0) --initialised_;
}

// COM takes the process's security settings once.
HResult SimWmi::InitializeSecurity(std::uint32_t, std::uint32_t) {
  if (repository_.security_result) return *repository_.security_result;
  if (security_set_) return kRpcETooLate;
  security_set_ = true;
  return kSOk;
}

WmiHandle SimWmi::Add(Entry entry) {
  const WmiHandle handle = next_handle_++;
  handles_.emplace(handle, entry);
  return handle;
}

SimWmi::Entry* SimWmi::Find(WmiHandle handle, Kind kind) {
  const auto it = handles_.find(handle);
  return it != handles_.end() && it->second.kind == kind ? &it->second : nullptr;
}

HResult SimWmi::CreateLocator(WmiHandle* locator) {
  *locator = kNullWmiHandle;
  if (initialised_ == 0) return kCoENotInitialized;
  if (repository_.locator_result) return *repository_.locator_result;
  *locator = Add({Kind::kLocator});
  return kSOk;
}

HResult SimWmi::ConnectServer(WmiHandle locator, std::string_view namespace_path,
                              WmiHandle* services) {
  *services = kNullWmiHandle;
  if (Find(locator, Kind::kLocator) == nullptr) return kWbemEInvalidParameter;
  if (repository_.connect_result) return *repository_.connect_result;
  if (repository_.namespace_path.empty() ||
      !SameNamespace(namespace_path, repository_.namespace_path)) {
    return kWbemEInvalidNamespace;
  }
  *services = Add({Kind::kServices});
  return kSOk;
}

HResult SimWmi::SetProxyBlanket(WmiHandle services, std::uint32_t, std::uint32_t, std::uint32_t) {
  return Find(services, Kind::kServices) != nullptr ? kSOk : kWbemEInvalidParameter;
}

// Flags change nothing here: every enumeration is forward-only and
// complete before it is handed out.
HResult SimWmi::CreateInstanceEnum(WmiHandle services, std::string_view class_name, std::int32_t,
                                   WmiHandle* enumerator) {
  *enumerator = kNullWmiHandle;
  if (Find(services, Kind::kServices) == nullptr) return kWbemEInvalidParameter;
  for (const auto& [name, result] : repository_.enumerate_results) {
    if (NamesEqual(name, class_name)) return result;
  }
  const auto& classes = repository_.classes;
  const auto it = std::find_if(classes.begin(), classes.end(),
                               [&](const WmiClass& c) { return NamesEqual(c.name, class_name); });
  if (it == classes.end()) return kWbemEInvalidClass;
  *enumerator = Add({Kind::kEnumerator, static_cast<std::size_t>(it - classes.begin())});
  return kSOk;
}

HResult SimWmi::Next(WmiHandle enumerator, std::int32_t, WmiHandle* object,
                     std::uint32_t* returned) {
  *object = kNullWmiHandle;
  *returned = 0;
  Entry* entry = Find(enumerator, Kind::kEnumerator);
  if (entry == nullptr) return kWbemEInvalidParameter;
  const WmiClass& wmi_class = repository_.classes[entry->class_index];
  const std::uint32_t fetch = ++entry->fetches;
  HResult result = kSOk;
  bool deliver = true;
  for (const WmiFetchFault& fault : repository_.fetch_faults) {
    if (fault.at == fetch && NamesEqual(fault.class_name, wmi_class.name)) {
      result = fault.result;
      deliver = fault.object && !Failed(fault.result);
      break;
    }
  }
  if (!deliver) return result;
  // Past the last instance: WBEM_S_FALSE, or the fault's own result.
  if (entry->position >= wmi_class.instances.size()) return result == kSOk ? kSFalse : result;
  const Entry delivered{Kind::kObject, entry->class_index, entry->position++};
  *object = Add(delivered);
  *returned = 1;
  return result;
}

HResult SimWmi::Get(WmiHandle object, std::string_view property, WmiValue* value) {
  *value = {};
  const Entry* entry = Find(object, Kind::kObject);
  if (entry == nullptr) return kWbemEInvalidParameter;
  for (const WmiProperty& p : repository_.classes[entry->class_index].instances[entry->position]) {
    if (NamesEqual(p.name, property)) {
      *value = p.value;
      return kSOk;
    }
  }
  return kWbemENotFound;
}

// Every handle carries one reference, so a release frees it; releasing
// one that is not held does nothing.
std::uint32_t SimWmi::Release(WmiHandle handle) {
  handles_.erase(handle);
  return 0;
}

}  // namespace tunora::sim
