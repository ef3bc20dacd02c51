// Building a machine's management-instrumentation repository (the "wmi"
// entry of a profile): the classes a support inventory covers, devices as
// Windows enumerates them (a PnP entity with its allocated resources),
// the identifiers and object paths in Windows' own forms. The built-in
// machines and the host reader both build through it.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "sim/machine/profile.h"
#include "sim/os/hive.h"
#include "sim/os/sim_wmi.h"

namespace tunora::sim {

inline constexpr const char* kCimv2Namespace = "\\\\.\\root\\cimv2";

// Every class the hardware log enumerates: a repository holds each, empty
// where the machine has nothing of the kind, as Windows does.
const std::vector<std::string>& InventoryClasses();

struct PnpResource {
  enum class Kind : std::uint8_t { kIrq, kDma, kPort, kMemory };
  Kind kind;
  std::uint64_t value;  // IRQ or DMA number, or starting address
};

// A device as Windows lists it in Win32_PnPEntity; `manufacturer` or
// `service` empty is null (not known, no driver service).
struct PnpDevice {
  std::string device_id;
  std::string description;
  std::string manufacturer;
  std::string service;
  std::vector<PnpResource> resources;
};

// PCI\VEN_xxxx&DEV_xxxx&SUBSYS_xxxxxxxx&REV_xx and its instance part, in
// the 9x form (BUS_00&DEV_07&FUNC_01) or NT's (3&61AAA01&0&39).
struct PciAddress {
  std::uint16_t vendor = 0, device = 0, subsystem_vendor = 0, subsystem_id = 0;
  std::uint8_t revision = 0;
  std::uint8_t bus = 0, slot = 0, function = 0;
};
std::string PciDeviceId(const PciAddress& pci, bool nine_x);

// The names Windows gives a PCI device of a class before a driver names
// it ("Ethernet Controller", "PCI standard host CPU bridge", ...).
std::string PciClassName(std::uint32_t class_code);

// Classes and their instances, in insertion order per class.
class Inventory {
 public:
  explicit Inventory(std::string computer_name) : computer_(std::move(computer_name)) {}

  void Add(const std::string& class_name, nlohmann::json instance);
  // Win32_PnPEntity and one Win32_PNPAllocatedResource per resource.
  void AddDevice(const PnpDevice& device);
  // One association instance (Win32_IDEControllerDevice and the like).
  void Associate(const std::string& association, const std::string& antecedent_class,
                 const std::string& antecedent_id, const std::string& dependent_id);
  // \\NAME\root\cimv2:CLASS.KEY="VALUE" with the value's backslashes
  // doubled (`quoted`), or CLASS.KEY=VALUE for a number.
  std::string Path(const std::string& class_name, const std::string& key, const std::string& value,
                   bool quoted = true) const;
  // {"namespace", "classes"}, every inventory class present.
  nlohmann::json ToJson() const;

 private:
  std::string computer_;
  nlohmann::json classes_ = nlohmann::json::object();
};

// A registry string value's text: up to its terminating zero.
std::string RegistryText(const std::string& data);

// WMI's date and time text: "YYYYMMDD000000.000000+000".
std::string WmiDate(int year, int month, int day);

// The repository a program on the machine sees: the profile's, with the
// registry's log-on commands (HKLM ...\Run) as Win32_StartupCommand
// instances when the repository has that class.
WmiRepository MachineWmiRepository(const Profile& profile, const Hive& registry);

}  // namespace tunora::sim
