// Services and devices port over the service control manager, CreateFileA
// on device paths and DeviceIoControl.
#pragma once

#include "platform/devices.h"

namespace tunora::win32 {

class Win32Devices : public Devices {
 public:
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

  std::uint32_t GetLastError() override;
};

}  // namespace tunora::win32
