// The simulated service control manager and device handles.
//
// Service entries live in the registry as on Windows
// (System\CurrentControlSet\Services\<name>: Type, Start, ErrorControl,
// ImagePath); which services exist for the manager and which run is
// volatile state that a reboot resets. A driver loads only when its image
// file exists and holds exactly that driver's embedded image; a loaded
// driver runs the shared driver-side dispatch code, or, on a machine
// switched to its real drivers, the image itself in the emulator.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "hwaccess/drivers/kernel_services.h"
#include "hwaccess/drivers/wire.h"
#include "platform/devices.h"
#include "platform/files.h"
#include "resources/embedded.h"
#include "sim/os/executed_driver.h"
#include "sim/os/sim_registry.h"

namespace tunora::sim {

struct ServiceEntry {
  std::string name;        // as created
  std::string image_path;  // Windows path of the driver file
  bool running = false;
  // Stop requested while devices are open: the driver unloads when the
  // last handle to its device closes, and no new handle opens meanwhile.
  bool stop_pending = false;
  bool delete_pending = false;
  std::optional<DriverKind> driver;  // what the running image is
  // On a machine with real drivers: the running image, executed. Not kept
  // across program runs; the next device open loads it again.
  std::shared_ptr<ExecutedDriver> executed = nullptr;
};

// Volatile service state, kept across program runs until a reboot.
struct ServiceTable {
  std::map<std::string, ServiceEntry> services;  // key: lower-case name
};

struct DeviceFaults {
  std::set<std::string> driver_never_loads;  // "hwgate2", "hwgate4", "hwgt9x"
  std::set<std::string> device_open_fails;
  std::uint32_t vxd_version = kHwgt9xVersion;
};

// What the service manager takes as a service name: 1 to 256 characters,
// no slash or backslash (the name is a key below Services).
bool IsServiceName(std::string_view name);

class SimDevices : public Devices {
 public:
  SimDevices(ServiceTable& table, SimRegistry& registry, Files& files,
             drivers::KernelServices& kernel, bool nine_x, bool administrator, DeviceFaults faults,
             DriverLoader real_drivers = {});
  ~SimDevices() override;

  Handle OpenSCManager(std::uint32_t access) override;
  Handle CreateService(Handle manager, std::string_view name, std::string_view display_name,
                       std::uint32_t access, std::uint32_t service_type, std::uint32_t start_type,
                       std::uint32_t error_control, std::string_view image_path) override;
  Handle OpenService(Handle manager, std::string_view name, std::uint32_t access) override;
  bool StartService(Handle service) override;
  bool ControlService(Handle service, std::uint32_t control) override;
  bool DeleteService(Handle service) override;
  bool CloseServiceHandle(Handle handle) override;

  Handle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t flags) override;
  bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t in_size,
                       void* out, std::uint32_t out_size, std::uint32_t* returned,
                       Overlapped* overlapped) override;
  bool GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* returned,
                           bool wait) override;
  Handle CreateEvent(bool manual_reset, bool initial_state) override;
  bool CloseHandle(Handle handle) override;
  std::uint32_t GetLastError() override { return last_error_; }

  std::size_t open_handle_count() const { return handles_.size(); }
  std::uint64_t device_requests() const { return device_requests_; }

 private:
  enum class Kind { kManager, kService, kDevice, kEvent };
  struct Object {
    Kind kind;
    std::string service;                                 // service handles: lower-case name
    DriverKind driver = DriverKind::kHwgate4;            // device handles
    std::shared_ptr<ExecutedDriver> executed = nullptr;  // device handles of real drivers
    std::uint32_t file = 0;                              // the executed driver's handle
  };

  Handle Add(Object object);
  Object* Find(Handle handle, Kind kind);
  ServiceEntry* ServiceOf(Handle handle);
  std::optional<DriverKind> IdentifyImage(std::string_view windows_path);
  bool Fail(std::uint32_t error);
  void ForgetIfUnused(const std::string& key);
  std::size_t OpenDevices(const std::string& key) const;
  void Unload(ServiceEntry& entry);
  std::shared_ptr<ExecutedDriver> Execute(DriverKind kind, std::string_view windows_path);

  ServiceTable& table_;
  SimRegistry& registry_;
  Files& files_;
  drivers::KernelServices& kernel_;
  bool nine_x_;
  bool administrator_;
  DeviceFaults faults_;
  DriverLoader real_drivers_;
  std::map<Handle, Object> handles_;
  Handle next_handle_ = 0x40;
  std::uint32_t last_error_ = 0;
  std::uint64_t device_requests_ = 0;
};

// The service table's key for a service name (names are case-insensitive).
std::string ServiceTableKey(std::string_view name);

// Where a kernel driver's service key lives.
std::string ServiceKeyPath(std::string_view name);

// Rebuilds the service table as Windows does at boot: every service key
// with an ImagePath is known; the maker's low-level drivers are not running.
ServiceTable BootServiceTable(SimRegistry& registry);

// Windows at boot, before it builds the table: the keys of services marked
// for deletion go, whoever the user is (the system does it).
void RemoveServicesMarkedForDeletion(const ServiceTable& table, SimRegistry& registry);

const char* DriverName(DriverKind kind);

}  // namespace tunora::sim
