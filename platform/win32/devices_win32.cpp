#include "platform/win32/devices_win32.h"

#include <cstddef>
#include <string>

#include "platform/win32/windows_api.h"

namespace tunora::win32 {
namespace {

// The port's Overlapped is laid out as OVERLAPPED on this target, so the
// caller's record is the one the system fills in, for as long as the
// request runs.
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(Overlapped, internal) == offsetof(OVERLAPPED, Internal));
static_assert(offsetof(Overlapped, internal_high) == offsetof(OVERLAPPED, InternalHigh));
static_assert(offsetof(Overlapped, event) == offsetof(OVERLAPPED, hEvent));
static_assert(kInvalidHandleValue == 0xFFFFFFFFu && kLastErrorIoPending == ERROR_IO_PENDING);

OVERLAPPED* Native(Overlapped* overlapped) { return reinterpret_cast<OVERLAPPED*>(overlapped); }

// The service control manager is NT's; Windows 98 may not export it, so
// it is looked up at run time and its absence fails like an NT refusal.
struct ServiceCalls {
  decltype(&::OpenSCManagerA) open_manager =
      Resolve<decltype(&::OpenSCManagerA)>("advapi32.dll", "OpenSCManagerA");
  decltype(&::CreateServiceA) create =
      Resolve<decltype(&::CreateServiceA)>("advapi32.dll", "CreateServiceA");
  decltype(&::OpenServiceA) open =
      Resolve<decltype(&::OpenServiceA)>("advapi32.dll", "OpenServiceA");
  decltype(&::StartServiceA) start =
      Resolve<decltype(&::StartServiceA)>("advapi32.dll", "StartServiceA");
  decltype(&::ControlService) control =
      Resolve<decltype(&::ControlService)>("advapi32.dll", "ControlService");
  decltype(&::DeleteService) remove =
      Resolve<decltype(&::DeleteService)>("advapi32.dll", "DeleteService");
  decltype(&::CloseServiceHandle) close =
      Resolve<decltype(&::CloseServiceHandle)>("advapi32.dll", "CloseServiceHandle");
};

const ServiceCalls& Services() {
  static const ServiceCalls calls;
  return calls;
}

SC_HANDLE Service(Handle handle) { return FromNumber<SC_HANDLE>(handle); }

// A missing call fails as NT fails a call it does not implement.
template <typename Result>
Result NotImplemented(Result failure) {
  SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return failure;
}

}  // namespace

Handle Win32Devices::OpenSCManager(std::uint32_t access) {
  if (Services().open_manager == nullptr) return NotImplemented(kNullHandle);
  return ToNumber(Services().open_manager(nullptr, nullptr, access));
}

Handle Win32Devices::CreateService(Handle manager, std::string_view name,
                                   std::string_view display_name, std::uint32_t access,
                                   std::uint32_t service_type, std::uint32_t start_type,
                                   std::uint32_t error_control, std::string_view image_path) {
  if (Services().create == nullptr) return NotImplemented(kNullHandle);
  return ToNumber(Services().create(Service(manager), std::string(name).c_str(),
                                    std::string(display_name).c_str(), access, service_type,
                                    start_type, error_control, std::string(image_path).c_str(),
                                    nullptr, nullptr, nullptr, nullptr, nullptr));
}

Handle Win32Devices::OpenService(Handle manager, std::string_view name, std::uint32_t access) {
  if (Services().open == nullptr) return NotImplemented(kNullHandle);
  return ToNumber(Services().open(Service(manager), std::string(name).c_str(), access));
}

bool Win32Devices::StartService(Handle service) {
  if (Services().start == nullptr) return NotImplemented(false);
  return Services().start(Service(service), 0, nullptr) != FALSE;
}

bool Win32Devices::ControlService(Handle service, std::uint32_t control) {
  if (Services().control == nullptr) return NotImplemented(false);
  SERVICE_STATUS status{};
  return Services().control(Service(service), control, &status) != FALSE;
}

bool Win32Devices::DeleteService(Handle service) {
  if (Services().remove == nullptr) return NotImplemented(false);
  return Services().remove(Service(service)) != FALSE;
}

bool Win32Devices::CloseServiceHandle(Handle handle) {
  if (Services().close == nullptr) return NotImplemented(false);
  return Services().close(Service(handle)) != FALSE;
}

Handle Win32Devices::CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                                std::uint32_t disposition, std::uint32_t flags) {
  return ToNumber(
      CreateFileA(std::string(path).c_str(), access, share, nullptr, disposition, flags, nullptr));
}

bool Win32Devices::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                   std::uint32_t in_size, void* out, std::uint32_t out_size,
                                   std::uint32_t* returned, Overlapped* overlapped) {
  DWORD bytes = 0;
  const BOOL ok = ::DeviceIoControl(FromNumber<HANDLE>(device), code, const_cast<void*>(in),
                                    in_size, out, out_size, &bytes, Native(overlapped));
  if (returned != nullptr) *returned = bytes;
  return ok != FALSE;
}

bool Win32Devices::GetOverlappedResult(Handle device, Overlapped* overlapped,
                                       std::uint32_t* returned, bool wait) {
  DWORD bytes = 0;
  const BOOL ok =
      ::GetOverlappedResult(FromNumber<HANDLE>(device), Native(overlapped), &bytes, wait);
  if (returned != nullptr) *returned = bytes;
  return ok != FALSE;
}

Handle Win32Devices::CreateEvent(bool manual_reset, bool initial_state) {
  return ToNumber(CreateEventA(nullptr, manual_reset, initial_state, nullptr));
}

bool Win32Devices::CloseHandle(Handle handle) {
  return ::CloseHandle(FromNumber<HANDLE>(handle)) != FALSE;
}

std::uint32_t Win32Devices::GetLastError() { return ::GetLastError(); }

}  // namespace tunora::win32
