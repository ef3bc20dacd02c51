#include "tests/hwaccess/dispatch_devices.h"

#include <algorithm>
#include <cstring>

namespace tunora::testing {
namespace {

// RtlNtStatusToDosError for the statuses the drivers use.
std::uint32_t Win32Error(drivers::NtStatus status) {
  switch (status) {
    case drivers::STATUS_ACCESS_DENIED:
      return kLastErrorAccessDenied;
    case drivers::STATUS_BUFFER_TOO_SMALL:
      return 122;  // ERROR_INSUFFICIENT_BUFFER
    case drivers::STATUS_INVALID_PARAMETER:
      return 87;  // ERROR_INVALID_PARAMETER
    default:
      return 1;  // ERROR_INVALID_FUNCTION
  }
}

}  // namespace

drivers::DispatchResult DispatchDevices::Dispatch(Handle device, std::uint32_t code,
                                                  std::vector<std::uint8_t>& buffer,
                                                  std::uint32_t in_size, std::uint32_t out_size) {
  switch (device) {
    case kHwgate2Device:
      return drivers::Hwgate2DeviceControl(kernel_, code, buffer, in_size, out_size);
    case kHwgate4Device:
      return drivers::Hwgate4DeviceControl(kernel_, code, buffer, in_size, out_size);
    case kHwgt9xDevice:
      return drivers::Hwgt9xDeviceControl(kernel_, code, buffer, in_size, out_size, hwgt9x_version);
    default:
      return {drivers::STATUS_INVALID_DEVICE_REQUEST, 0};
  }
}

bool DispatchDevices::DeviceIoControl(Handle device, std::uint32_t code, const void* in,
                                      std::uint32_t in_size, void* out, std::uint32_t out_size,
                                      std::uint32_t* returned, Overlapped* overlapped) {
  std::vector<std::uint8_t> buffer(std::max(in_size, out_size), 0);
  if (in_size > 0) std::memcpy(buffer.data(), in, in_size);
  const drivers::DispatchResult result = Dispatch(device, code, buffer, in_size, out_size);
  requests.push_back({device, code, in_size, out_size, in == out && in != nullptr,
                      overlapped != nullptr, overlapped ? overlapped->event : kNullHandle, result});
  if (device != kHwgate2Device && device != kHwgate4Device && device != kHwgt9xDevice) {
    last_error_ = kLastErrorInvalidHandle;
    return false;
  }
  const std::uint32_t copied = std::min(result.bytes_returned, out_size);
  if (drivers::NtSuccess(result.status) && copied > 0) std::memcpy(out, buffer.data(), copied);
  const std::uint32_t transferred = drivers::NtSuccess(result.status) ? copied : 0;
  if (returned != nullptr) *returned = transferred;
  if (overlapped != nullptr) {
    overlapped->internal = result.status;
    overlapped->internal_high = transferred;
  }
  if (!drivers::NtSuccess(result.status)) last_error_ = Win32Error(result.status);
  return drivers::NtSuccess(result.status);
}

bool DispatchDevices::GetOverlappedResult(Handle, Overlapped* overlapped, std::uint32_t* returned,
                                          bool wait) {
  if (wait) ++overlapped_waits;
  if (returned != nullptr) *returned = overlapped->internal_high;
  if (!drivers::NtSuccess(overlapped->internal)) {
    last_error_ = Win32Error(overlapped->internal);
    return false;
  }
  return true;
}

}  // namespace tunora::testing
