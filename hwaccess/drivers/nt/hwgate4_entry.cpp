// hwgate4.sys: configuration read and write and physical memory mapping.
#include "hwaccess/drivers/nt/nt_driver.h"
#include "hwaccess/drivers/nt/nt_kernel.h"

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  using namespace tunora::drivers;
  return nt::StartDriver(driver, {L"\\Device\\HwGate4", L"\\DosDevices\\HwGate4",
                                  nt::DispatchOn<nt::NtKernel, Hwgate4DeviceControl>});
}
