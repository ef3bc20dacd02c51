#include "sim/os/sim_devices.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "sim/os/hive.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorInvalidParameterWin32 = 87;
constexpr std::uint32_t kErrorInvalidImageHash = 577;
constexpr std::uint32_t kErrorServiceCannotAcceptControl = 1061;
constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr std::uint32_t kErrorInvalidName = 123;

// A self-relative security descriptor header, as the service manager
// stores for a new service (only its presence matters here).
constexpr std::uint8_t kDefaultServiceSecurity[] = {0x01, 0x00, 0x14, 0x80, 0x90, 0x00, 0x00,
                                                    0x00, 0x9c, 0x00, 0x00, 0x00, 0x14, 0x00,
                                                    0x00, 0x00, 0x30, 0x00, 0x00, 0x00};

constexpr std::string_view kServicesRoot = "System\\CurrentControlSet\\Services";

std::string Upper(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return result;
}

}  // namespace

std::string ServiceTableKey(std::string_view name) {
  std::string result(name);
  std::transform(result.begin(), result.end(), result.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return result;
}

namespace {

// The Win32 name each driver's symbolic link gives its device.
const char* DeviceLinkName(DriverKind kind) {
  switch (kind) {
    case DriverKind::kHwgate2:
      return "hwgate2";
    case DriverKind::kHwgate4:
      return "HwGate4";
    case DriverKind::kHwgt9x:
      return "Hwgt9x.VXD";
  }
  return "";
}

void SetBytes(Registry& registry, RegKey key, std::string_view name, std::uint32_t type,
              const std::string& bytes) {
  registry.SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                    static_cast<std::uint32_t>(bytes.size()));
}

void SetDword(Registry& registry, RegKey key, std::string_view name, std::uint32_t value) {
  SetBytes(registry, key, name, kRegDword, DwordBytes(value));
}

void SetText(Registry& registry, RegKey key, std::string_view name, std::string_view text) {
  SetBytes(registry, key, name, kRegSz, StringBytes(text));
}

// Deletes a key with everything below it, children first.
void DeleteTree(Registry& registry, const std::string& path) {
  RegKey key = 0;
  if (registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, &key) != kErrorSuccess) return;
  std::vector<std::string> children;
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(key, i, &name) == kErrorSuccess; ++i) {
    children.push_back(name);
  }
  registry.CloseKey(key);
  for (const std::string& child : children) DeleteTree(registry, path + "\\" + child);
  registry.DeleteKey(kHkeyLocalMachine, path);
}

}  // namespace

std::string ServiceKeyPath(std::string_view name) {
  return std::string(kServicesRoot) + "\\" + std::string(name);
}

const char* DriverName(DriverKind kind) {
  switch (kind) {
    case DriverKind::kHwgate2:
      return "hwgate2";
    case DriverKind::kHwgate4:
      return "hwgate4";
    case DriverKind::kHwgt9x:
      return "hwgt9x";
  }
  return "";
}

ServiceTable BootServiceTable(SimRegistry& registry) {
  ServiceTable table;
  RegKey services = 0;
  if (registry.OpenKey(kHkeyLocalMachine, kServicesRoot, kKeyRead, &services) != kErrorSuccess) {
    return table;
  }
  std::string name;
  for (std::uint32_t i = 0; registry.EnumKey(services, i, &name) == kErrorSuccess; ++i) {
    RegKey key = 0;
    if (registry.OpenKey(services, name, kKeyRead, &key) != kErrorSuccess) continue;
    std::uint8_t buffer[520] = {};
    std::uint32_t size = sizeof buffer - 1;
    std::uint32_t type = 0;
    if (registry.QueryValue(key, "ImagePath", &type, buffer, &size) == kErrorSuccess) {
      ServiceEntry entry;
      entry.name = name;
      entry.image_path = std::string(reinterpret_cast<const char*>(buffer),
                                     strnlen(reinterpret_cast<const char*>(buffer), size));
      table.services[ServiceTableKey(name)] = entry;
    }
    registry.CloseKey(key);
  }
  registry.CloseKey(services);
  return table;
}

void RemoveServicesMarkedForDeletion(const ServiceTable& table, SimRegistry& registry) {
  bool removed = false;
  for (const auto& [key, entry] : table.services) {
    if (entry.delete_pending && registry.hive().RemoveKey(ServiceKeyPath(entry.name))) {
      removed = true;
    }
  }
  if (removed) registry.NoteChange();
}

SimDevices::SimDevices(ServiceTable& table, SimRegistry& registry, Files& files,
                       drivers::KernelServices& kernel, bool nine_x, bool administrator,
                       DeviceFaults faults, DriverLoader real_drivers)
    : table_(table),
      registry_(registry),
      files_(files),
      kernel_(kernel),
      nine_x_(nine_x),
      administrator_(administrator),
      faults_(std::move(faults)),
      real_drivers_(std::move(real_drivers)) {}

// The process ends: its handles close, and drivers waiting for that unload.
SimDevices::~SimDevices() {
  std::vector<Handle> devices;
  std::vector<Handle> services;
  for (const auto& [handle, object] : handles_) {
    if (object.kind == Kind::kDevice) devices.push_back(handle);
    if (object.kind == Kind::kService) services.push_back(handle);
  }
  for (Handle handle : devices) {
    try {
      CloseHandle(handle);
    } catch (const std::exception&) {
      // A real driver that faults while closing: the process is gone anyway.
    }
  }
  // The process's service handles close with it: a service deleted
  // through one of them goes now.
  for (Handle handle : services) CloseServiceHandle(handle);
}

Handle SimDevices::Add(Object object) {
  const Handle handle = next_handle_;
  next_handle_ += 4;
  handles_.emplace(handle, std::move(object));
  return handle;
}

SimDevices::Object* SimDevices::Find(Handle handle, Kind kind) {
  const auto it = handles_.find(handle);
  if (it == handles_.end() || it->second.kind != kind) return nullptr;
  return &it->second;
}

ServiceEntry* SimDevices::ServiceOf(Handle handle) {
  Object* object = Find(handle, Kind::kService);
  if (object == nullptr) return nullptr;
  const auto it = table_.services.find(object->service);
  return it == table_.services.end() ? nullptr : &it->second;
}

bool SimDevices::Fail(std::uint32_t error) {
  last_error_ = error;
  return false;
}

std::optional<DriverKind> SimDevices::IdentifyImage(std::string_view windows_path) {
  const std::optional<std::string> bytes = files_.ReadFile(windows_path);
  if (!bytes) return std::nullopt;
  for (DriverKind kind : {DriverKind::kHwgate2, DriverKind::kHwgate4, DriverKind::kHwgt9x}) {
    if (*bytes == DriverImage(kind)) return kind;
  }
  return std::nullopt;
}

Handle SimDevices::OpenSCManager(std::uint32_t access) {
  if (nine_x_) return Fail(kErrorCallNotImplemented), kNullHandle;
  if (!administrator_ && (access & (kGenericWrite | 0x2 /*SC_MANAGER_CREATE_SERVICE*/))) {
    return Fail(kLastErrorAccessDenied), kNullHandle;
  }
  return Add({Kind::kManager, {}});
}

bool IsServiceName(std::string_view name) {
  return !name.empty() && name.size() <= 256 && name.find_first_of("\\/") == std::string_view::npos;
}

Handle SimDevices::CreateService(Handle manager, std::string_view name,
                                 std::string_view display_name, std::uint32_t access,
                                 std::uint32_t service_type, std::uint32_t start_type,
                                 std::uint32_t error_control, std::string_view image_path) {
  (void)access;
  if (Find(manager, Kind::kManager) == nullptr) return Fail(kLastErrorInvalidHandle), kNullHandle;
  if (!IsServiceName(name)) return Fail(kErrorInvalidName), kNullHandle;
  const std::string key = ServiceTableKey(name);
  if (const auto it = table_.services.find(key); it != table_.services.end()) {
    return Fail(it->second.delete_pending ? kErrorServiceMarkedForDelete : kLastErrorServiceExists),
           kNullHandle;
  }
  RegKey service_key = 0;
  if (registry_.CreateKey(kHkeyLocalMachine, ServiceKeyPath(name), kKeyAllAccess, &service_key) !=
      kErrorSuccess) {
    return Fail(kLastErrorAccessDenied), kNullHandle;
  }
  {
    SimRegistry::SaveBatch batch(registry_);
    SetDword(registry_, service_key, "Type", service_type);
    SetDword(registry_, service_key, "Start", start_type);
    SetDword(registry_, service_key, "ErrorControl", error_control);
    SetText(registry_, service_key, "ImagePath", image_path);
    SetText(registry_, service_key, "DisplayName", display_name);
    // The service manager keeps the service's security descriptor here.
    RegKey security = 0;
    if (registry_.CreateKey(service_key, "Security", kKeyAllAccess, &security) == kErrorSuccess) {
      registry_.SetValue(security, "Security", kRegBinary, kDefaultServiceSecurity,
                         sizeof kDefaultServiceSecurity);
      registry_.CloseKey(security);
    }
  }
  registry_.CloseKey(service_key);
  ServiceEntry entry;
  entry.name = std::string(name);
  entry.image_path = std::string(image_path);
  table_.services[key] = entry;
  return Add({Kind::kService, key});
}

Handle SimDevices::OpenService(Handle manager, std::string_view name, std::uint32_t access) {
  (void)access;
  if (Find(manager, Kind::kManager) == nullptr) return Fail(kLastErrorInvalidHandle), kNullHandle;
  if (!IsServiceName(name)) return Fail(kErrorInvalidName), kNullHandle;
  const std::string key = ServiceTableKey(name);
  const auto it = table_.services.find(key);
  if (it == table_.services.end()) return Fail(kLastErrorServiceDoesNotExist), kNullHandle;
  if (it->second.delete_pending) return Fail(kErrorServiceMarkedForDelete), kNullHandle;
  return Add({Kind::kService, key});
}

bool SimDevices::StartService(Handle service) {
  ServiceEntry* entry = ServiceOf(service);
  if (entry == nullptr) return Fail(kLastErrorInvalidHandle);
  if (entry->delete_pending) return Fail(kErrorServiceMarkedForDelete);
  if (entry->stop_pending) return Fail(kErrorServiceCannotAcceptControl);
  if (entry->running) return Fail(kLastErrorServiceAlreadyRunning);
  const std::optional<DriverKind> kind = IdentifyImage(entry->image_path);
  if (!kind || *kind == DriverKind::kHwgt9x) return Fail(kLastErrorFileNotFound);
  if (faults_.driver_never_loads.count(DriverName(*kind))) return Fail(kErrorInvalidImageHash);
  if (real_drivers_) {
    entry->executed = Execute(*kind, entry->image_path);
    if (!entry->executed) return Fail(drivers::Win32ErrorOf(drivers::STATUS_UNSUCCESSFUL));
  }
  entry->running = true;
  entry->driver = kind;
  // Windows records a legacy driver's device instance when it starts.
  RegKey enum_key = 0;
  if (registry_.CreateKey(kHkeyLocalMachine, ServiceKeyPath(entry->name) + "\\Enum", kKeyAllAccess,
                          &enum_key) == kErrorSuccess) {
    SimRegistry::SaveBatch batch(registry_);
    SetText(registry_, enum_key, "0", "Root\\LEGACY_" + Upper(entry->name) + "\\0000");
    SetDword(registry_, enum_key, "Count", 1);
    SetDword(registry_, enum_key, "NextInstance", 1);
    registry_.CloseKey(enum_key);
  }
  return true;
}

std::size_t SimDevices::OpenDevices(const std::string& key) const {
  std::size_t count = 0;
  for (const auto& [handle, object] : handles_) {
    count += object.kind == Kind::kDevice && object.service == key ? 1 : 0;
  }
  return count;
}

// The image on disk is what the program wrote; once started, a driver
// runs on even when its file is deleted, so a later program run loads the
// same bytes from the image the service was identified as.
std::shared_ptr<ExecutedDriver> SimDevices::Execute(DriverKind kind,
                                                    std::string_view windows_path) {
  const std::optional<std::string> file = files_.ReadFile(windows_path);
  return real_drivers_(kind, file ? std::string_view(*file) : DriverImage(kind), kernel_);
}

void SimDevices::Unload(ServiceEntry& entry) {
  entry.executed.reset();
  entry.running = false;
  entry.stop_pending = false;
  entry.driver.reset();
}

// A service marked for deletion leaves the database once it is stopped
// and no handle to it is open any more.
void SimDevices::ForgetIfUnused(const std::string& key) {
  const auto it = table_.services.find(key);
  if (it == table_.services.end() || !it->second.delete_pending || it->second.running) return;
  for (const auto& [handle, object] : handles_) {
    if (object.kind == Kind::kService && object.service == key) return;
  }
  DeleteTree(registry_, ServiceKeyPath(it->second.name));
  table_.services.erase(it);
}

bool SimDevices::ControlService(Handle service, std::uint32_t control) {
  ServiceEntry* entry = ServiceOf(service);
  if (entry == nullptr) return Fail(kLastErrorInvalidHandle);
  if (control != kServiceControlStop) return Fail(kErrorInvalidParameterWin32);
  if (!entry->running || entry->stop_pending) return Fail(kLastErrorServiceNotActive);
  const std::string key = Find(service, Kind::kService)->service;
  if (OpenDevices(key) > 0) {
    entry->stop_pending = true;  // unloads when its last device handle closes
    return true;
  }
  Unload(*entry);
  ForgetIfUnused(key);
  return true;
}

bool SimDevices::DeleteService(Handle service) {
  ServiceEntry* entry = ServiceOf(service);
  if (entry == nullptr) return Fail(kLastErrorInvalidHandle);
  if (entry->delete_pending) return Fail(kErrorServiceMarkedForDelete);
  entry->delete_pending = true;
  ForgetIfUnused(Find(service, Kind::kService)->service);
  return true;
}

bool SimDevices::CloseServiceHandle(Handle handle) {
  const auto it = handles_.find(handle);
  if (it == handles_.end() ||
      (it->second.kind != Kind::kManager && it->second.kind != Kind::kService)) {
    return Fail(kLastErrorInvalidHandle);
  }
  const Object closed = it->second;
  handles_.erase(it);
  if (closed.kind == Kind::kService) ForgetIfUnused(closed.service);
  return true;
}

Handle SimDevices::CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                              std::uint32_t disposition, std::uint32_t flags) {
  (void)access, (void)share, (void)flags;
  constexpr std::string_view kDevicePrefix = "\\\\.\\";
  if (path.substr(0, kDevicePrefix.size()) != kDevicePrefix) {
    return Fail(kLastErrorFileNotFound), kInvalidHandleValue;
  }
  const std::string_view name = path.substr(kDevicePrefix.size());
  if (nine_x_) {
    // Opening "\\.\NAME.VXD" loads NAME.VXD from the Windows directory.
    if (!NamesEqual(name, DeviceLinkName(DriverKind::kHwgt9x)) || disposition != kCreateNew) {
      return Fail(kLastErrorFileNotFound), kInvalidHandleValue;
    }
    const std::string file = files_.WindowsDirectory() + "\\" + std::string(path.substr(4));
    const std::optional<DriverKind> kind = IdentifyImage(file);
    if (kind != DriverKind::kHwgt9x || faults_.driver_never_loads.count("hwgt9x") ||
        faults_.device_open_fails.count("hwgt9x")) {
      return Fail(kLastErrorFileNotFound), kInvalidHandleValue;
    }
    Object device{Kind::kDevice, {}, DriverKind::kHwgt9x};
    if (real_drivers_) {
      // Every open loads the device anew; the last close unloads it.
      device.executed = Execute(DriverKind::kHwgt9x, file);
      const auto opened =
          device.executed ? device.executed->Open(kernel_, administrator_) : std::nullopt;
      if (!opened) return Fail(kLastErrorFileNotFound), kInvalidHandleValue;
      device.file = *opened;
    }
    return Add(std::move(device));
  }
  for (auto& [key, entry] : table_.services) {
    if (!entry.running || !entry.driver || !NamesEqual(DeviceLinkName(*entry.driver), name)) {
      continue;
    }
    // The drivers create their devices for administrators only (a real
    // driver decides that itself); a device whose driver is waiting to
    // unload takes no new handles.
    if ((!administrator_ && !real_drivers_) || entry.stop_pending) {
      return Fail(kLastErrorAccessDenied), kInvalidHandleValue;
    }
    if (faults_.device_open_fails.count(DriverName(*entry.driver))) break;
    Object device{Kind::kDevice, key, *entry.driver};
    if (real_drivers_) {
      if (!entry.executed) entry.executed = Execute(*entry.driver, entry.image_path);
      device.executed = entry.executed;
      const auto file =
          device.executed ? device.executed->Open(kernel_, administrator_) : std::nullopt;
      if (!file) return Fail(kLastErrorAccessDenied), kInvalidHandleValue;
      device.file = *file;
    }
    return Add(std::move(device));
  }
  return Fail(kLastErrorFileNotFound), kInvalidHandleValue;
}

bool SimDevices::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                 std::uint32_t in_size, void* out, std::uint32_t out_size,
                                 std::uint32_t* returned, Overlapped* overlapped) {
  Object* object = Find(device, Kind::kDevice);
  if (object == nullptr) return Fail(kLastErrorInvalidHandle);
  ++device_requests_;
  // The I/O manager's system buffer: the input copied in, the output
  // copied back out.
  std::vector<std::uint8_t> buffer(std::max(in_size, out_size), 0);
  if (in != nullptr && in_size > 0) std::memcpy(buffer.data(), in, in_size);
  drivers::DispatchResult result;
  if (object->executed) {
    result =
        object->executed->DeviceControl(kernel_, object->file, code, buffer, in_size, out_size);
  } else {
    switch (object->driver) {
      case DriverKind::kHwgate2:
        result = drivers::Hwgate2DeviceControl(kernel_, code, buffer, in_size, out_size);
        break;
      case DriverKind::kHwgate4:
        result = drivers::Hwgate4DeviceControl(kernel_, code, buffer, in_size, out_size);
        break;
      case DriverKind::kHwgt9x:
        result = drivers::Hwgt9xDeviceControl(kernel_, code, buffer, in_size, out_size,
                                              faults_.vxd_version);
        break;
    }
  }
  const std::uint32_t copied = std::min(result.bytes_returned, out_size);
  if (out != nullptr && copied > 0) std::memcpy(out, buffer.data(), copied);
  if (returned != nullptr) *returned = copied;
  if (overlapped != nullptr) {
    overlapped->internal = result.status;
    overlapped->internal_high = copied;
  }
  if (!drivers::NtSuccess(result.status)) return Fail(drivers::Win32ErrorOf(result.status));
  return true;
}

bool SimDevices::GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* returned,
                                     bool wait) {
  (void)wait;  // every request completes before DeviceIoControl returns
  if (Find(device, Kind::kDevice) == nullptr || overlapped == nullptr) {
    return Fail(kLastErrorInvalidHandle);
  }
  if (returned != nullptr) *returned = overlapped->internal_high;
  if (!drivers::NtSuccess(overlapped->internal))
    return Fail(drivers::Win32ErrorOf(overlapped->internal));
  return true;
}

Handle SimDevices::CreateEvent(bool manual_reset, bool initial_state) {
  (void)manual_reset, (void)initial_state;
  return Add({Kind::kEvent, {}});
}

bool SimDevices::CloseHandle(Handle handle) {
  const auto it = handles_.find(handle);
  if (it == handles_.end() ||
      (it->second.kind != Kind::kDevice && it->second.kind != Kind::kEvent)) {
    return Fail(kLastErrorInvalidHandle);
  }
  const std::string key = it->second.service;
  if (it->second.executed) it->second.executed->Close(kernel_, it->second.file);
  handles_.erase(it);
  if (!key.empty() && OpenDevices(key) == 0) {
    const auto entry = table_.services.find(key);
    if (entry != table_.services.end() && entry->second.stop_pending) {
      Unload(entry->second);
      ForgetIfUnused(key);
    }
  }
  return true;
}

}  // namespace tunora::sim
