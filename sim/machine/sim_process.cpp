#include "sim/machine/sim_process.h"

#include <cstdio>

#include "sim/emulator/driver_loader.h"
#include "sim/machine/wmi_inventory.h"
#include "sim/os/sim_regedit.h"

namespace tunora::sim {
namespace {

std::string PortFaultText(std::uint16_t port) {
  char text[128];
  std::snprintf(text, sizeof text,
                "privileged instruction: user-mode access to port 0x%04X on Windows NT", port);
  return text;
}

}  // namespace

PrivilegedInstruction::PrivilegedInstruction(std::uint16_t port)
    : std::runtime_error(PortFaultText(port)) {}

SimProcess::SimProcess(Machine& machine, Ui& ui, bool real_time, std::ostream* console)
    : address_space_(machine.physical()),
      kernel_(machine.bus(), address_space_),
      ports_(machine.bus(), machine.nine_x()),
      files_(machine.drive_c(), machine.profile().windows_directory),
      system_({machine.profile().version, machine.profile().clean_boot, real_time,
               machine.profile().shutdown_privilege, console, &files_,
               machine.profile().faults.restart_refused},
              machine.virtual_ms(), ui),
      devices_(machine.services(), machine.registry(), files_, kernel_, machine.nine_x(),
               machine.profile().administrator, machine.device_faults(),
               machine.profile().real_drivers ? emulator::EmulatedDriverLoader() : DriverLoader{}),
      wmi_(MachineWmiRepository(machine.profile(), machine.registry().hive())),
      platform_{machine.registry(), devices_, ports_, address_space_, files_, system_, ui, wmi_} {
  system_.set_shell_programs(
      [this, &machine](std::string_view file,
                       std::string_view parameters) -> std::optional<std::string> {
        if (!IsRegedit(file)) return std::nullopt;
        return RunRegedit(parameters, machine.registry(), files_,
                          RegeditFormFor(machine.profile().version));
      });
}

}  // namespace tunora::sim
