// One program run on a simulated machine: its address space, the ports it
// sees, bundled as the Platform its main receives.
#pragma once

#include <stdexcept>

#include "platform/platform.h"
#include "sim/hardware/sim_port_io.h"
#include "sim/machine/machine.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_devices.h"
#include "sim/os/sim_files.h"
#include "sim/os/sim_kernel.h"
#include "sim/os/sim_system.h"
#include "sim/os/sim_wmi.h"

namespace tunora::sim {

// A user-mode IN or OUT on Windows NT: the process would die with a
// privileged-instruction fault.
class PrivilegedInstruction : public std::runtime_error {
 public:
  explicit PrivilegedInstruction(std::uint16_t port);
};

// Port I/O as a user-mode program gets it: allowed on Windows 98/ME only.
class UserPortIo : public PortIo {
 public:
  UserPortIo(PciBus& bus, bool allowed) : ports_(bus), allowed_(allowed) {}
  std::uint8_t In8(std::uint16_t port) override { return Check(port), ports_.In8(port); }
  std::uint16_t In16(std::uint16_t port) override { return Check(port), ports_.In16(port); }
  std::uint32_t In32(std::uint16_t port) override { return Check(port), ports_.In32(port); }
  void Out8(std::uint16_t port, std::uint8_t value) override {
    Check(port), ports_.Out8(port, value);
  }
  void Out16(std::uint16_t port, std::uint16_t value) override {
    Check(port), ports_.Out16(port, value);
  }
  void Out32(std::uint16_t port, std::uint32_t value) override {
    Check(port), ports_.Out32(port, value);
  }

 private:
  void Check(std::uint16_t port) const {
    if (!allowed_) throw PrivilegedInstruction(port);
  }
  SimPortIo ports_;
  bool allowed_;
};

class SimProcess {
 public:
  // `console`: a console program's standard output (null: its lines go to
  // the UI as events).
  SimProcess(Machine& machine, Ui& ui, bool real_time = false, std::ostream* console = nullptr);
  // The parts and the Platform bundle refer to one another.
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  Platform& platform() { return platform_; }
  SimDevices& devices() { return devices_; }
  SimSystem& system() { return system_; }
  ProcessAddressSpace& address_space() { return address_space_; }

 private:
  ProcessAddressSpace address_space_;
  SimKernel kernel_;
  UserPortIo ports_;
  SimFiles files_;
  SimSystem system_;
  SimDevices devices_;
  SimWmi wmi_;
  Platform platform_;
};

}  // namespace tunora::sim
