// hwgate2.sys: the start-up scan's configuration reads. Its kernel only
// reads configuration space: nothing of the mapping services is linked.
#include "hwaccess/drivers/nt/nt_driver.h"
#include "hwaccess/drivers/nt/nt_kernel.h"

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  using namespace tunora::drivers;
  return nt::StartDriver(driver, {L"\\Device\\hwgate2", L"\\DosDevices\\hwgate2",
                                  nt::DispatchOn<nt::NtConfigKernel, Hwgate2DeviceControl>});
}
