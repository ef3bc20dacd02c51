// A Devices port that hands every device-control request to the drivers'
// dispatch routines over a simulated kernel, with the buffered-method copy
// rules of the I/O manager: one system buffer of max(in, out) bytes, the
// input copied in, and on success the returned bytes copied out. Each
// request is logged so tests can see how the program side sent it.
#pragma once

#include <cstdint>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "platform/devices.h"

namespace tunora::testing {

inline constexpr Handle kHwgate2Device = 0x102;
inline constexpr Handle kHwgate4Device = 0x104;
inline constexpr Handle kHwgt9xDevice = 0x109;
inline constexpr Handle kHwgate2Event = 0x2E;

class DispatchDevices : public Devices {
 public:
  struct Request {
    Handle device = 0;
    std::uint32_t code = 0;
    std::uint32_t in_size = 0;
    std::uint32_t out_size = 0;
    bool same_buffer = false;  // input and output pointed at one record
    bool overlapped = false;
    Handle event = kNullHandle;
    drivers::DispatchResult result;
  };

  explicit DispatchDevices(drivers::KernelServices& kernel) : kernel_(kernel) {}

  bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t in_size,
                       void* out, std::uint32_t out_size, std::uint32_t* returned,
                       Overlapped* overlapped) override;
  bool GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* returned,
                           bool wait) override;
  std::uint32_t GetLastError() override { return last_error_; }

  // Not used by the protocol side.
  Handle OpenSCManager(std::uint32_t) override { return kNullHandle; }
  Handle CreateService(Handle, std::string_view, std::string_view, std::uint32_t, std::uint32_t,
                       std::uint32_t, std::uint32_t, std::string_view) override {
    return kNullHandle;
  }
  Handle OpenService(Handle, std::string_view, std::uint32_t) override { return kNullHandle; }
  bool StartService(Handle) override { return false; }
  bool ControlService(Handle, std::uint32_t) override { return false; }
  bool DeleteService(Handle) override { return false; }
  bool CloseServiceHandle(Handle) override { return false; }
  Handle CreateFile(std::string_view, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t) override {
    return kInvalidHandleValue;
  }
  Handle CreateEvent(bool, bool) override { return kHwgate2Event; }
  bool CloseHandle(Handle) override { return true; }

  std::uint32_t hwgt9x_version = kHwgt9xVersion;
  std::vector<Request> requests;
  int overlapped_waits = 0;

 private:
  drivers::DispatchResult Dispatch(Handle device, std::uint32_t code,
                                   std::vector<std::uint8_t>& buffer, std::uint32_t in_size,
                                   std::uint32_t out_size);

  drivers::KernelServices& kernel_;
  std::uint32_t last_error_ = 0;
};

}  // namespace tunora::testing
