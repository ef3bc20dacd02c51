#include "hwaccess/deploy.h"

#include <array>

#include "hwaccess/protocol.h"
#include "hwaccess/road.h"
#include "registry/reg_access.h"
#include "resources/strings.h"

namespace tunora {
namespace {

constexpr std::size_t kWindowsDirBuffer = 255;
constexpr std::string_view kHwgateError = "Error Accessing HwGate!";

constexpr std::string_view kHwgate2Key = "System\\CurrentControlSet\\Services\\hwgate2";
// Children first: a key with sub-keys cannot be deleted.
constexpr std::array<std::string_view, 5> kHwgate2KeysToDelete = {
    "System\\CurrentControlSet\\Services\\hwgate2\\Enum",
    "System\\CurrentControlSet\\Services\\hwgate2\\Security",
    "System\\CurrentControlSet\\Services\\hwgate2\\Parameters",
    "System\\CurrentControlSet\\Services\\hwgate2\\Performance",
    "System\\CurrentControlSet\\Services\\hwgate2",
};

constexpr std::uint32_t kBiosAddress = 0xC0000;
constexpr std::uint32_t kBiosMapLength = 8191;
constexpr std::size_t kBiosTextWalk = 127;

void WriteDriverFile(HwContext& hw, DriverKind kind, std::string_view image) {
  // Write failures are ignored: the device open decides.
  hw.platform.files.WriteFile(DriverFilePath(hw.platform.files, kind), image);
}

void DeleteDriverFile(HwContext& hw, DriverKind kind) {
  hw.platform.files.DeleteFile(DriverFilePath(hw.platform.files, kind));
}

// Creates the service, or opens the one an earlier run left, and starts
// it; a service that is already running is fine.
void RegisterAndStart(HwContext& hw, std::string_view name, const std::string& image_path) {
  Devices& devices = hw.platform.devices;
  const Handle manager = devices.OpenSCManager(kGenericRead | kGenericWrite);
  Handle service =
      devices.CreateService(manager, name, name, kServiceAllAccess, kServiceKernelDriver,
                            kServiceDemandStart, kServiceErrorNormal, image_path);
  if (service == kNullHandle) service = devices.OpenService(manager, name, kServiceAllAccess);
  devices.StartService(service);
  if (service != kNullHandle) devices.CloseServiceHandle(service);
  if (manager != kNullHandle) devices.CloseServiceHandle(manager);
}

Handle OpenNtDevice(HwContext& hw, std::string_view path) {
  return hw.platform.devices.CreateFile(path, kGenericRead | kGenericWrite,
                                        kFileShareRead | kFileShareWrite, kOpenExisting,
                                        kFileFlagOverlapped | kFileFlagNoBuffering);
}

void DeleteHwgate2Keys(Registry& registry) {
  RegistryChanges group(registry);
  for (std::string_view path : kHwgate2KeysToDelete) registry.DeleteKey(kHkeyLocalMachine, path);
}

}  // namespace

void ReportFailure(HwContext& hw, std::string_view text) {
  if (hw.console_reports) {
    hw.platform.system.WriteConsoleLine(text);
  } else {
    hw.platform.ui.MessageBox(text, kProgramName, kMbOk);
  }
}

std::string_view DriverImage(std::optional<std::string_view> resource) {
  return resource.value_or(std::string_view{});
}

DriverSet LockstepDrivers() {
  return {{},
          DriverImage(LockstepResource(kLockstepResHwgate4)),
          DriverImage(LockstepResource(kLockstepResHwgt9x))};
}

std::string DriverFilePath(Files& files, DriverKind kind) {
  std::string path = files.WindowsDirectory();
  if (path.size() > kWindowsDirBuffer - 1) path.resize(kWindowsDirBuffer - 1);
  switch (kind) {
    case DriverKind::kHwgt9x:
      return path + "\\hwgt9x.vxd";
    case DriverKind::kHwgate4:
      return path + "\\System32\\Drivers\\hwgate4.sys";
    case DriverKind::kHwgate2:
      return path + "\\System32\\Drivers\\hwgate2.sys";
  }
  return path;
}

std::optional<Handle> DeployHwgate4(HwContext& hw) {
  const std::string image_path = DriverFilePath(hw.platform.files, DriverKind::kHwgate4);
  for (int attempt = 0; attempt < kHwgate4Attempts; ++attempt) {
    if (attempt > 0) hw.platform.system.Sleep(kHwgate4RetryDelayMs);
    WriteDriverFile(hw, DriverKind::kHwgate4, hw.drivers.hwgate4);
    RegisterAndStart(hw, "hwgate4", image_path);
    const Handle device = OpenNtDevice(hw, "\\\\.\\hwgate4");
    if (device != kInvalidHandleValue) return device;
  }
  DeleteDriverFile(hw, DriverKind::kHwgate4);
  return std::nullopt;
}

Handle DeployHwgate4OrExit(HwContext& hw) {
  if (std::optional<Handle> device = DeployHwgate4(hw)) return *device;
  ReportFailure(hw, kHwgateError);
  EndProcess(1);
}

Handle AcquireHwgate4(HwContext& hw) {
  if (hw.kept_hwgate4 != kInvalidHandleValue) return hw.kept_hwgate4;
  return DeployHwgate4OrExit(hw);
}

void ReleaseHwgate4(HwContext& hw, Handle device, Hwgate4Cleanup cleanup) {
  if (device != kInvalidHandleValue && device == hw.kept_hwgate4) return;
  Devices& devices = hw.platform.devices;
  if (cleanup == Hwgate4Cleanup::kStopDeleteService) {
    const Handle manager = devices.OpenSCManager(kGenericRead | kGenericWrite);
    Handle service = devices.OpenService(manager, "hwgate4", kServiceAllAccess);
    if (service != kNullHandle) {
      devices.ControlService(service, kServiceControlStop);
      devices.CloseServiceHandle(service);
    }
    if (device != kInvalidHandleValue) {
      service = devices.OpenService(manager, "hwgate4", kServiceAllAccess);
      if (service != kNullHandle) {
        devices.DeleteService(service);
        devices.CloseServiceHandle(service);
      }
    }
    if (manager != kNullHandle) devices.CloseServiceHandle(manager);
  }
  if (device != kInvalidHandleValue) devices.CloseHandle(device);
  DeleteDriverFile(hw, DriverKind::kHwgate4);
}

Hwgate2Session DeployHwgate2OrExit(HwContext& hw) {
  Registry& registry = hw.platform.registry;
  if (const RegHandle key = RegHandle::Create(registry, kHwgate2Key)) {
    // Unwritten values are not checked here: the service start and the
    // device open after it decide.
    RegistryChanges group(registry);
    SetNumber(registry, key.key(), "Start", kServiceDemandStart);
    SetNumber(registry, key.key(), "Type", kServiceKernelDriver);
    SetNumber(registry, key.key(), "ErrorControl", kServiceErrorNormal);
  }
  WriteDriverFile(hw, DriverKind::kHwgate2, hw.drivers.hwgate2);
  RegisterAndStart(hw, "hwgate2", DriverFilePath(hw.platform.files, DriverKind::kHwgate2));

  Hwgate2Session session;
  session.device = OpenNtDevice(hw, "\\\\.\\hwgate2");
  if (session.device == kInvalidHandleValue) {
    // Leave nothing behind before giving up.
    DeleteDriverFile(hw, DriverKind::kHwgate2);
    DeleteHwgate2Keys(registry);
    ReportFailure(hw, kHwgateError);
    EndProcess(1);
  }
  session.event = hw.platform.devices.CreateEvent(true, false);
  return session;
}

void RemoveHwgate2(HwContext& hw, Hwgate2Session& session) {
  Devices& devices = hw.platform.devices;
  if (session.device != kInvalidHandleValue) devices.CloseHandle(session.device);
  if (session.event != kNullHandle) devices.CloseHandle(session.event);
  session = {};
  DeleteDriverFile(hw, DriverKind::kHwgate2);
  DeleteHwgate2Keys(hw.platform.registry);
}

std::optional<Handle> DeployHwgt9x(HwContext& hw, const VxdMessages& messages) {
  WriteDriverFile(hw, DriverKind::kHwgt9x, hw.drivers.hwgt9x);
  const Handle device =
      hw.platform.devices.CreateFile("\\\\.\\Hwgt9x.VXD", 0, 0, kCreateNew, kFileFlagDeleteOnClose);
  if (device == kInvalidHandleValue) {
    DeleteDriverFile(hw, DriverKind::kHwgt9x);
    ReportFailure(hw, messages.cannot_open);
    return std::nullopt;
  }
  if (QueryDriverVersion9x(hw.platform.devices, device) < kHwgt9xVersion) {
    RemoveHwgt9x(hw, device);
    ReportFailure(hw, messages.wrong_version);
    return std::nullopt;
  }
  return device;
}

Handle DeployHwgt9xOrExit(HwContext& hw, const VxdMessages& messages) {
  if (std::optional<Handle> device = DeployHwgt9x(hw, messages)) return *device;
  EndProcess(1);
}

void RemoveHwgt9x(HwContext& hw, Handle device) {
  if (device != kInvalidHandleValue) hw.platform.devices.CloseHandle(device);
  DeleteDriverFile(hw, DriverKind::kHwgt9x);
}

std::string ParenthesisedText(std::string_view bios_start) {
  std::string text;
  bool inside = false;
  for (std::size_t i = 0; i < bios_start.size() && i < kBiosTextWalk; ++i) {
    const char c = bios_start[i];
    if (c == ')') {
      inside = false;
      continue;
    }
    if (inside) text.push_back(c);
    if (c == '(') inside = true;
  }
  return text;
}

std::string ReadBiosVersionText(HwContext& hw) {
  std::string bytes;
  const auto read_window = [&](std::uint32_t address) {
    // A failed map leaves the address 0; there is nothing to read then.
    if (address == 0) return;
    for (std::uint32_t i = 0; i < kBiosTextWalk; ++i) {
      bytes.push_back(static_cast<char>(hw.platform.memory.Read8(address + i)));
    }
  };
  WithRoad(hw, {kVxdMessages},
           [&](ConfigSpace&, const MapFn& map) { read_window(map(kBiosAddress, kBiosMapLength)); });
  return ParenthesisedText(bytes);
}

}  // namespace tunora
