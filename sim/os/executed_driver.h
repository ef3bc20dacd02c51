// A driver binary the simulated PC executes, on a machine switched to its
// real drivers, in place of the portable dispatch code: the NT service
// manager starts it when a service starts, the 9x device loader when the
// device is opened. The simulated PC only knows this interface; the
// emulator behind it (sim/emulator) is linked in by the programs that run
// such machines.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/kernel_services.h"
#include "resources/embedded.h"

namespace tunora::sim {

// A driver that faulted while loading or serving a request: on Windows a
// stop error that takes the system down; on the simulated PC it ends the
// program run with the fault's description.
class DriverFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ExecutedDriver {
 public:
  virtual ~ExecutedDriver() = default;
  // Each call runs in the calling program's process: `kernel` maps into
  // it and reaches the machine's ports.
  //
  // Opens a handle (IRP_MJ_CREATE, or the 9x open code); nothing when the
  // driver refuses the caller.
  virtual std::optional<std::uint32_t> Open(drivers::KernelServices& kernel,
                                            bool administrator) = 0;
  virtual void Close(drivers::KernelServices& kernel, std::uint32_t handle) = 0;
  virtual drivers::DispatchResult DeviceControl(drivers::KernelServices& kernel,
                                                std::uint32_t handle, std::uint32_t code,
                                                std::span<std::uint8_t> system_buffer,
                                                std::uint32_t input_length,
                                                std::uint32_t output_length) = 0;
};

// Loads and initialises the driver in `image`; nothing when the image is
// not a driver that loads (its entry or initialisation fails). A driver
// that faults while running throws DriverFault, as a blue screen would end
// the run.
using DriverLoader = std::function<std::shared_ptr<ExecutedDriver>(
    DriverKind kind, std::string_view image, drivers::KernelServices& kernel)>;

}  // namespace tunora::sim
