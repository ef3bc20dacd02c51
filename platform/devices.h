// Services and devices port: the service control manager, device handles
// and DeviceIoControl, shaped after the Win32 calls.
#pragma once

#include <cstdint>
#include <string_view>

namespace tunora {

using Handle = std::uint32_t;
inline constexpr Handle kNullHandle = 0;                    // failed SCM / event calls
inline constexpr Handle kInvalidHandleValue = 0xFFFFFFFFu;  // failed CreateFile

inline constexpr std::uint32_t kGenericRead = 0x80000000u;
inline constexpr std::uint32_t kGenericWrite = 0x40000000u;
inline constexpr std::uint32_t kFileShareRead = 1;
inline constexpr std::uint32_t kFileShareWrite = 2;
inline constexpr std::uint32_t kCreateNew = 1;
inline constexpr std::uint32_t kOpenExisting = 3;
inline constexpr std::uint32_t kFileFlagOverlapped = 0x40000000u;
inline constexpr std::uint32_t kFileFlagNoBuffering = 0x20000000u;
inline constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000u;

inline constexpr std::uint32_t kScManagerAllAccess = 0xF003F;
inline constexpr std::uint32_t kServiceAllAccess = 0xF01FF;
inline constexpr std::uint32_t kServiceKernelDriver = 1;
inline constexpr std::uint32_t kServiceDemandStart = 3;
inline constexpr std::uint32_t kServiceErrorNormal = 1;
inline constexpr std::uint32_t kServiceControlStop = 1;

// Win32 last-error values the adapters report.
inline constexpr std::uint32_t kLastErrorFileNotFound = 2;
inline constexpr std::uint32_t kLastErrorAccessDenied = 5;
inline constexpr std::uint32_t kLastErrorInvalidHandle = 6;
inline constexpr std::uint32_t kLastErrorFileExists = 80;
inline constexpr std::uint32_t kLastErrorServiceExists = 1073;
inline constexpr std::uint32_t kLastErrorServiceAlreadyRunning = 1056;
inline constexpr std::uint32_t kLastErrorServiceDoesNotExist = 1060;
inline constexpr std::uint32_t kLastErrorServiceNotActive = 1062;
inline constexpr std::uint32_t kLastErrorIoPending = 997;

struct Overlapped {
  std::uint32_t internal = 0;       // status of the request
  std::uint32_t internal_high = 0;  // bytes transferred
  std::uint32_t offset = 0;
  std::uint32_t offset_high = 0;
  Handle event = kNullHandle;
};

class Devices {
 public:
  virtual ~Devices() = default;

  // Service control manager (NT). Failures return kNullHandle / false and
  // set LastError.
  virtual Handle OpenSCManager(std::uint32_t access) = 0;
  virtual Handle CreateService(Handle manager, std::string_view name, std::string_view display_name,
                               std::uint32_t access, std::uint32_t service_type,
                               std::uint32_t start_type, std::uint32_t error_control,
                               std::string_view image_path) = 0;
  virtual Handle OpenService(Handle manager, std::string_view name, std::uint32_t access) = 0;
  virtual bool StartService(Handle service) = 0;
  virtual bool ControlService(Handle service, std::uint32_t control) = 0;
  virtual bool DeleteService(Handle service) = 0;
  virtual bool CloseServiceHandle(Handle handle) = 0;

  // CreateFileA on a device path such as "\\.\hwgate4".
  virtual Handle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                            std::uint32_t disposition, std::uint32_t flags) = 0;
  // DeviceIoControl; with `overlapped` the request may complete later and
  // is collected with GetOverlappedResult.
  virtual bool DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                               std::uint32_t in_size, void* out, std::uint32_t out_size,
                               std::uint32_t* returned, Overlapped* overlapped) = 0;
  virtual bool GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* returned,
                                   bool wait) = 0;
  // CreateEvent(NULL, manual_reset, initial_state, NULL).
  virtual Handle CreateEvent(bool manual_reset, bool initial_state) = 0;
  virtual bool CloseHandle(Handle handle) = 0;

  virtual std::uint32_t GetLastError() = 0;
};

}  // namespace tunora
