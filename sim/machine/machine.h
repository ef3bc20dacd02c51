// A simulated PC that lives in a directory:
//
//   machine.json   the profile it was made from (Windows version, user,
//                  PCI devices, cards, BIOS, fault switches, WMI)
//   registry.reg   HKEY_LOCAL_MACHINE as REGEDIT4, saved atomically after
//                  every change
//   drive_c/       the C: drive, with the Windows directory inside
//   state.json     what a reboot forgets: the service manager's view,
//                  configuration-space and card registers, the virtual
//                  clock, a pending reboot
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/machine/profile.h"
#include "sim/os/sim_devices.h"
#include "sim/os/sim_registry.h"

namespace tunora::sim {

class MachineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Machine {
 public:
  // Makes a new machine directory from a profile. Refuses a directory
  // that already holds a machine.
  static void Create(const std::filesystem::path& dir, const Profile& profile);

  // Opens a machine directory; throws MachineError (or RegistryFileError
  // naming the file and line of a damaged registry).
  explicit Machine(std::filesystem::path dir);
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // Writes state.json (atomically).
  void SaveState();
  // What SaveState writes to state.json.
  nlohmann::json StateJson() const;
  // Restart: volatile state back to power-on, services as at boot (those
  // marked for deletion removed, nothing of ours running), no reboot
  // pending. The log-on that follows is RebootAndLogOn's (reboot.h).
  void Reboot();
  // "name: value" lines for `tunora-sim show DIR`.
  std::string Summary() const;
  // One line per maker's card for `tunora-sim show DIR card`:
  // "card 1:00 M 5 N 36 P 0 clock 166.50 MHz" (bus:device, decimal).
  std::string CardSummary() const;

  const std::filesystem::path& dir() const { return dir_; }
  const Profile& profile() const { return profile_; }
  bool nine_x() const { return profile_.version.platform_id == kVerPlatformWin32Windows; }
  SimRegistry& registry() { return *registry_; }
  PciBus& bus() { return *bus_; }
  PhysicalMemory& physical() { return *physical_; }
  std::vector<CardModel*> cards();
  ServiceTable& services() { return services_; }
  std::uint64_t& virtual_ms() { return virtual_ms_; }
  // Set when a program asked Windows to restart; the restart itself is
  // `tunora-sim reboot`.
  bool& pending_reboot() { return pending_reboot_; }
  std::filesystem::path drive_c() const { return dir_ / "drive_c"; }
  DeviceFaults device_faults() const;

 private:
  void BuildHardware();
  void LoadState();

  std::filesystem::path dir_;
  Profile profile_;
  std::unique_ptr<SimRegistry> registry_;
  std::unique_ptr<PciBus> bus_;
  std::unique_ptr<PhysicalMemory> physical_;
  struct Card {
    std::uint8_t bus, device;
    std::unique_ptr<CardModel> model;
  };
  std::vector<Card> cards_;
  ServiceTable services_;
  std::uint64_t virtual_ms_ = 0;
  std::uint64_t boot_count_ = 1;
  bool pending_reboot_ = false;
};

// Writes a file through "<file>.tmp" and a rename, so it is always whole.
void WriteFileAtomic(const std::filesystem::path& path, const std::string& text);

}  // namespace tunora::sim
