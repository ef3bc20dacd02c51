// hwgate2.sys: the start-up scan's configuration reads.
#include "hwaccess/drivers/nt/nt_driver.h"

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  return tunora::drivers::nt::StartDriver(driver, {L"\\Device\\hwgate2", L"\\DosDevices\\hwgate2",
                                                   tunora::drivers::Hwgate2DeviceControl});
}
