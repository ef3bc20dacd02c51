// hwgate4.sys: configuration read and write and physical memory mapping.
#include "hwaccess/drivers/nt/nt_driver.h"

extern "C" __attribute__((stdcall)) std::int32_t DriverEntry(_DRIVER_OBJECT* driver, void*) {
  return tunora::drivers::nt::StartDriver(driver, {L"\\Device\\HwGate4", L"\\DosDevices\\HwGate4",
                                                   tunora::drivers::Hwgate4DeviceControl});
}
