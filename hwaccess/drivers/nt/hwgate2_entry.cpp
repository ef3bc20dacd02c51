// hwgate2.sys: the start-up scan's configuration reads.
#include "hwaccess/drivers/nt/nt_driver.h"
#include "hwaccess/drivers/nt/nt_kernel.h"

namespace {

// Configuration space only: nothing of the mapping services is linked.
tunora::drivers::DispatchResult DeviceControl(std::uint32_t code, std::span<std::uint8_t> buffer,
                                              std::uint32_t input_length,
                                              std::uint32_t output_length) {
  tunora::drivers::nt::NtConfigKernel kernel;
  return tunora::drivers::Hwgate2DeviceControl(kernel, code, buffer, input_length, output_length);
}

}  // namespace

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  return tunora::drivers::nt::StartDriver(
      driver, {L"\\Device\\hwgate2", L"\\DosDevices\\hwgate2", DeviceControl});
}
