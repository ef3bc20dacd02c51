#include "sim/machine/wmi_inventory.h"

#include <cstdio>

#include "platform/registry.h"

namespace tunora::sim {
namespace {

using nlohmann::json;

std::string Format(const char* format, auto... values) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string DoubledBackslashes(const std::string& text) {
  std::string result;
  for (char c : text) {
    result += c;
    if (c == '\\') result += '\\';
  }
  return result;
}

}  // namespace

std::string RegistryText(const std::string& data) { return data.substr(0, data.find('\0')); }

const std::vector<std::string>& InventoryClasses() {
  static const std::vector<std::string> classes = {
      "Win32_BIOS",
      "Win32_BaseBoard",
      "Win32_Processor",
      "Win32_Battery",
      "Win32_1394Controller",
      "Win32_1394ControllerDevice",
      "Win32_CDROMDrive",
      "Win32_CodecFile",
      "Win32_ComputerSystem",
      "Win32_DesktopMonitor",
      "Win32_DiskDrive",
      "Win32_DisplayConfiguration",
      "Win32_DisplayControllerConfiguration",
      "Win32_Fan",
      "Win32_FloppyController",
      "Win32_FloppyDrive",
      "Win32_IDEController",
      "Win32_IDEControllerDevice",
      "Win32_InfraredDevice",
      "Win32_Keyboard",
      "Win32_LogicalDisk",
      "Win32_NetworkAdapter",
      "Win32_OperatingSystem",
      "Win32_PageFile",
      "Win32_ParallelPort",
      "Win32_PCMCIAController",
      "Win32_PhysicalMemory",
      "Win32_PNPAllocatedResource",
      "Win32_PnPEntity",
      "Win32_PointingDevice",
      "Win32_PortableBattery",
      "Win32_PortConnector",
      "Win32_POTSModem",
      "Win32_Printer",
      "Win32_SCSIController",
      "Win32_SerialPort",
      "Win32_SoundDevice",
      "Win32_StartupCommand",
      "Win32_TapeDrive",
      "Win32_TemperatureProbe",
      "Win32_UninterruptiblePowerSupply",
      "Win32_USBController",
      "Win32_USBControllerDevice",
      "Win32_VideoConfiguration",
  };
  return classes;
}

std::string PciDeviceId(const PciAddress& pci, bool nine_x) {
  std::string id = Format("PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_%02X\\", pci.vendor,
                          pci.device, pci.subsystem_id, pci.subsystem_vendor, pci.revision);
  const unsigned devfn = pci.slot * 8u + pci.function;
  if (nine_x) return id + Format("BUS_%02X&DEV_%02X&FUNC_%02X", pci.bus, pci.slot, pci.function);
  // NT names a device below a bridge after its own and the bridge's slot
  // (the AGP bridge at 0:1 on these machines).
  if (pci.bus == 0) return id + Format("3&61AAA01&0&%02X", devfn);
  return id + Format("4&%07X&0&%02X08", 0x74C6020u + pci.bus - 1u, devfn);
}

std::string PciClassName(std::uint32_t class_code) {
  switch (class_code >> 8) {
    case 0x0101:
      return "Standard Dual Channel PCI IDE Controller";
    case 0x0200:
      return "Ethernet Controller";
    case 0x0280:
      return "Network Controller";
    case 0x0300:
      return "Video Controller (VGA Compatible)";
    case 0x0401:
    case 0x0403:
      return "Multimedia Audio Controller";
    case 0x0600:
      return "PCI standard host CPU bridge";
    case 0x0601:
      return "PCI standard ISA bridge";
    case 0x0604:
      return "PCI standard PCI-to-PCI bridge";
    case 0x0C00:
      return "IEEE 1394 Host Controller";
    case 0x0C03:
      return "Universal Serial Bus (USB) Controller";
    case 0x0C05:
      return "SM Bus Controller";
    default:
      return "PCI Device";
  }
}

std::string WmiDate(int year, int month, int day) {
  return Format("%04d%02d%02d000000.000000+000", year, month, day);
}

void Inventory::Add(const std::string& class_name, json instance) {
  classes_[class_name].push_back(std::move(instance));
}

std::string Inventory::Path(const std::string& class_name, const std::string& key,
                            const std::string& value, bool quoted) const {
  const std::string shown = quoted ? "\"" + DoubledBackslashes(value) + "\"" : value;
  return "\\\\" + computer_ + "\\root\\cimv2:" + class_name + "." + key + "=" + shown;
}

void Inventory::AddDevice(const PnpDevice& device) {
  Add("Win32_PnPEntity",
      {{"Caption", device.description},
       {"Description", device.description},
       {"Manufacturer", device.manufacturer.empty() ? json() : json(device.manufacturer)},
       {"DeviceID", device.device_id},
       {"PNPDeviceID", device.device_id},
       {"Name", device.description},
       {"Service", device.service.empty() ? json() : json(device.service)},
       {"Status", "OK"},
       {"ConfigManagerErrorCode", 0}});
  const std::string dependent = Path("Win32_PnPEntity", "DeviceID", device.device_id);
  for (const PnpResource& resource : device.resources) {
    const std::string number = std::to_string(resource.value);
    std::string antecedent;
    switch (resource.kind) {
      case PnpResource::Kind::kIrq:
        antecedent = Path("Win32_IRQResource", "IRQNumber", number, false);
        break;
      case PnpResource::Kind::kDma:
        antecedent = Path("Win32_DMAChannel", "DMAChannel", number, false);
        break;
      case PnpResource::Kind::kPort:
        antecedent = Path("Win32_PortResource", "StartingAddress", number);
        break;
      case PnpResource::Kind::kMemory:
        antecedent = Path("Win32_DeviceMemoryAddress", "StartingAddress", number);
        break;
    }
    Add("Win32_PNPAllocatedResource", {{"Antecedent", antecedent}, {"Dependent", dependent}});
  }
}

void Inventory::Associate(const std::string& association, const std::string& antecedent_class,
                          const std::string& antecedent_id, const std::string& dependent_id) {
  Add(association, {{"Antecedent", Path(antecedent_class, "DeviceID", antecedent_id)},
                    {"Dependent", Path("Win32_PnPEntity", "DeviceID", dependent_id)}});
}

json Inventory::ToJson() const {
  json classes = classes_;
  for (const std::string& name : InventoryClasses()) {
    if (!classes.contains(name)) classes[name] = json::array();
  }
  return {{"namespace", kCimv2Namespace}, {"classes", classes}};
}

WmiRepository MachineWmiRepository(const Profile& profile, const Hive& registry) {
  WmiRepository repository = WmiRepositoryFromJson(profile.wmi);
  const char* run_key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
  const HiveKey* run = registry.FindKey(run_key);
  if (run == nullptr) return repository;
  for (WmiClass& wmi_class : repository.classes) {
    if (!NamesEqual(wmi_class.name, "Win32_StartupCommand")) continue;
    for (const HiveValue& value : run->values()) {
      if (value.type != kRegSz && value.type != kRegExpandSz) continue;
      auto text = [](std::string s) { return WmiValue{WmiType::kText, std::move(s)}; };
      wmi_class.instances.push_back({{"Caption", text(value.name)},
                                     {"Description", text(value.name)},
                                     {"Command", text(RegistryText(value.data))},
                                     {"Location", text("HKLM\\" + std::string(run_key))},
                                     {"Name", text(value.name)},
                                     {"User", text("All Users")}});
    }
  }
  return repository;
}

}  // namespace tunora::sim
