// tunora on Windows over the simulated PC's hardware: a test build for
// Wine, where no driver can reach a card. The registry, the files, the
// system and the windows are Windows' own; the service manager with the
// drivers, port I/O and physical memory are the simulated PC's, built from
// the built-in machine TUNORA_SIM_PROFILE names (default win2000-qx2max).
// The drivers run their shared dispatch code over that hardware, so every
// road reaches the main window and the sheet as on the machine it names.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

// The simulated PC first: <windows.h> defines STATUS_* names as macros
// that the drivers' own constants use.
#include "sim/hardware/sim_port_io.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_devices.h"
#include "sim/os/sim_kernel.h"
// clang-format off
#include "platform/win32/win32_platform.h"
// After the other Windows headers: it takes back some of their macros.
#include "platform/win32/ui_win32.h"
// clang-format on

namespace {

// A machine directory of its own under the temporary folder.
std::filesystem::path MachineDirectory() {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::filesystem::path(temp) / ("tunora-simhw-" + std::to_string(GetCurrentProcessId()));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;
  using namespace tunora;
  win32::Win32Ui ui(instance);
  const char* name = std::getenv("TUNORA_SIM_PROFILE");
  const std::optional<sim::Profile> profile =
      sim::BuiltinProfile(name && *name ? name : sim::kDefaultProfile);
  if (!profile) {
    ui.MessageBox("TUNORA_SIM_PROFILE names no built-in machine", "tunora-simhw", kMbOk);
    return 2;
  }
  const std::filesystem::path dir = MachineDirectory();
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  int code = 2;
  {
    sim::Machine::Create(dir, *profile);
    sim::Machine machine(dir);
    sim::ProcessAddressSpace memory(machine.physical());
    sim::SimKernel kernel(machine.bus(), memory);
    sim::SimPortIo ports(machine.bus());
    win32::Win32Registry registry;
    win32::Win32Files files;
    win32::Win32System system;
    win32::Win32Wmi wmi;
    sim::SimDevices sim_devices(machine.services(), machine.registry(), files, kernel,
                                machine.nine_x(), true, machine.device_faults());
    // TUNORA_SIMHW_WINDOWS_DEVICES=1: the drivers are Windows' (Wine's)
    // own, so a road whose driver Windows cannot load stops as it would
    // on a real PC with this card.
    win32::Win32Devices windows_devices;
    const char* windows = std::getenv("TUNORA_SIMHW_WINDOWS_DEVICES");
    Devices& devices = windows != nullptr && std::string(windows) == "1"
                           ? static_cast<Devices&>(windows_devices)
                           : sim_devices;
    Platform platform{registry, devices, ports, memory, files, system, ui, wmi};
    code = ui.FinishRun(TunoraMain(platform));
  }
  std::filesystem::remove_all(dir, ignored);
  return code;
}
