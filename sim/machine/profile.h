// A machine profile: everything a simulated PC is made of before it first
// boots. Profiles are JSON (see docs/simulator.md); the built-in ones are
// generated here so every road and the interesting boards are covered.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/system.h"
#include "sim/os/sim_wmi.h"

namespace tunora::sim {

struct CardSpec {
  std::uint8_t pll_m = 0, pll_n = 0, pll_p = 0;  // system PLL dividers
  std::map<std::uint8_t, std::uint8_t> dac;      // other DAC indexed registers
  bool pll_never_locks = false;
  // Status reads the PLL stays unlocked after a divider write.
  std::uint32_t pll_lock_reads = 0;
};

struct PciDeviceSpec {
  std::string name;  // for people reading the profile
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint16_t vendor_id = 0;
  std::uint16_t device_id = 0;
  std::uint16_t subsystem_vendor = 0;
  std::uint16_t subsystem_id = 0;
  std::uint32_t class_code = 0;                     // class, subclass, programming interface
  std::map<std::uint8_t, std::uint32_t> registers;  // further dwords
  std::optional<CardSpec> card;  // a board of the maker, with its register window
};

struct BiosSpec {
  std::string version_text;  // the parenthesised text near the start of the ROM
  std::uint16_t parameter_block_offset = 0x7C00;
  std::vector<std::uint8_t> parameter_block;
  // Fault switch: the value at 0x7FFC instead of the block's offset (the
  // block stays where it is), e.g. one pointing past the ROM.
  std::optional<std::uint16_t> block_pointer;
};

struct Faults {
  std::set<std::string> driver_never_loads;  // "hwgate2", "hwgate4", "hwgt9x"
  std::set<std::string> device_open_fails;
  std::optional<std::uint32_t> vxd_version;  // the 9x driver reports this
  bool restart_refused = false;              // ExitWindowsEx fails
};

struct Profile {
  std::string name;
  std::string description;
  OsVersion version;
  std::string windows_directory;  // "C:\WINNT"
  int clean_boot = 0;             // SM_CLEANBOOT
  bool administrator = true;
  // The user may shut the system down (SeShutdownPrivilege); false makes
  // enabling it fail on NT.
  bool shutdown_privilege = true;
  std::vector<PciDeviceSpec> pci;
  BiosSpec bios;
  Faults faults;
  // The machine switch: the service manager and the 9x device loader
  // execute the driver files the programs write (the Windows build's
  // binaries, in the emulator) instead of the portable dispatch code.
  bool real_drivers = false;
  std::string registry;  // HKEY_LOCAL_MACHINE as REGEDIT4 text
  // The management-instrumentation repository and its fault switches, as
  // written (docs/simulator.md); checked when the profile is read.
  nlohmann::json wmi = nlohmann::json::object();
};

class ProfileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

Profile ProfileFromJson(const nlohmann::json& json);  // throws ProfileError
// The folder names of a Windows directory ("C:\\WINNT\\X": "WINNT", "X").
std::vector<std::string> WindowsDirectoryNames(const std::string& directory);
nlohmann::json ProfileToJson(const Profile& profile);
// A profile's "wmi" entry as the simulated PC's repository; throws
// ProfileError naming the place of anything malformed.
WmiRepository WmiRepositoryFromJson(const nlohmann::json& wmi);

inline constexpr const char* kDefaultProfile = "win2000-qx2max";
std::vector<std::string> BuiltinProfileNames();
std::optional<Profile> BuiltinProfile(const std::string& name);

}  // namespace tunora::sim
