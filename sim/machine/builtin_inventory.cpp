#include "sim/machine/builtin_inventory.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "sim/machine/wmi_inventory.h"
#include "sim/os/regedit4.h"

namespace tunora::sim {
namespace {

using nlohmann::json;
using Kind = PnpResource::Kind;

constexpr const char* kComputerName = "SUPPORT-PC";
constexpr std::uint64_t kMegabyte = 1024 * 1024;

std::string Format(const char* format, auto... values) {
  char buffer[200];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

json TextOrNull(const std::string& text) { return text.empty() ? json() : json(text); }

// ---- the machine ----------------------------------------------------------

// The PC around a chipset: firmware, board, processor, memory and drives
// of its years.
struct Era {
  std::uint16_t host_vendor, host_device;
  const char* bios_name;
  const char* bios_version;
  const char* smbios_version;
  int bios_year, bios_month, bios_day;
  const char* board_maker;
  const char* board_product;
  const char* board_version;
  const char* system_model;
  const char* cpu_vendor;
  const char* cpu_name;
  int cpu_family, cpu_model, cpu_stepping, cpu_mhz, l2_kb;
  int dimm_mb, dimms;
  const char* disk_model;
  int disk_gb;
  const char* cdrom_model;
  const char* cdrom_revision;
};

constexpr const char* kBiosMaker = "Kestrel Firmware Inc.";

constexpr Era kEras[] = {
    {0x8086,
     0x7190,
     "Kestrel Modular BIOS v4.51PG",
     "KESTRL - 1",
     "4.51 PG",
     1999,
     6,
     14,
     "Halvard Systems",
     "HX-44",
     "1.1",
     "Halvard Desk 450",
     "GenuineArdent",
     "Ardent Quintus II processor",
     6,
     5,
     2,
     450,
     512,
     64,
     2,
     "KORVIN KD-13000A",
     13,
     "KORVIN CR-4040E",
     "1.0A"},
    {0x10B9,
     0x1647,
     "Kestrel Modular BIOS v6.00PG",
     "KESTRL - 42302e31",
     "6.00 PG",
     2000,
     11,
     20,
     "Lumen Logic",
     "LM-1647",
     "2.0",
     "Arrowdesk 1000",
     "AuthenticCorvane",
     "Corvane Arrow processor",
     6,
     4,
     2,
     1000,
     256,
     128,
     2,
     "KORVIN KD-30000A",
     30,
     "TEMBRA DVD-1216",
     "1.05"},
    {0x8086,
     0x2500,
     "Kestrel Modular BIOS v6.00PG",
     "KESTRL - 1",
     "6.00 PG",
     2000,
     3,
     10,
     "Halvard Systems",
     "HX-82",
     "1.0",
     "Halvard Desk 800",
     "GenuineArdent",
     "Ardent Quintus III processor",
     6,
     8,
     3,
     800,
     256,
     128,
     2,
     "KORVIN KD-20000A",
     20,
     "TEMBRA CD-5232",
     "1.00"},
};

const Era& EraOf(const Profile& profile) {
  for (const PciDeviceSpec& d : profile.pci) {
    if (d.class_code >> 8 != 0x0600) continue;
    for (const Era& era : kEras) {
      if (era.host_vendor == d.vendor_id && era.host_device == d.device_id) return era;
    }
  }
  return kEras[0];
}

// What the Windows version decides.
struct Windows {
  bool nine_x = false;
  bool nt4 = false;
  bool acpi = false;  // ME, 2000 and XP machines enumerate through ACPI
  std::string caption, version, windows_dir, system_dir, file_system;
  int os_type = 18;
  int width = 1024, height = 768, bits = 16;
};

Windows WindowsOf(const Profile& profile) {
  const OsVersion& v = profile.version;
  Windows w;
  w.nine_x = v.platform_id == kVerPlatformWin32Windows;
  w.nt4 = !w.nine_x && v.major == 4;
  w.acpi = w.nine_x ? v.minor >= 90 : v.major >= 5;
  if (w.nine_x) {
    w.caption = v.minor >= 90 ? "Windows ME" : v.minor >= 10 ? "Windows 98" : "Windows 95";
    w.os_type = v.minor >= 10 ? 17 : 16;
  } else {
    w.caption = w.nt4          ? "Windows NT Workstation"
                : v.minor == 0 ? "Windows 2000 Professional"
                               : "Windows XP Professional";
  }
  w.version = Format("%u.%u.%u", v.major, v.minor, v.build);
  w.windows_dir = profile.windows_directory;
  w.system_dir = w.windows_dir + (w.nine_x ? "\\SYSTEM" : "\\system32");
  w.file_system = w.nine_x ? "FAT32" : "NTFS";
  if (!w.nine_x && !w.nt4) w.width = 1280, w.height = 1024, w.bits = 32;
  return w;
}

// A motherboard device: PnP BIOS enumerated on 98 and NT 4, ACPI on ME,
// 2000 and XP.
std::string SystemDeviceId(const Windows& w, const char* pnp_id, int index) {
  if (!w.acpi) return Format("BIOS\\*%s\\%02X", pnp_id, index);
  if (w.nine_x) return Format("ACPI\\*%s\\%X", pnp_id, index);
  return Format("ACPI\\%s\\4&2C0C2E52&%X", pnp_id, index);
}

std::string Underscored(std::string text) {
  std::replace(text.begin(), text.end(), ' ', '_');
  return text;
}

// A 9x instance path as another device's instance part: "&" for "\".
std::string Flat(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '&');
  return path;
}

// The makers of the built-in machines' PCI devices; "" for another.
std::string Maker(std::uint16_t vendor) {
  switch (vendor) {
    case 0x8086:
      return "Ardent Micro";
    case 0x10B9:
      return "Lumen Logic";
    case 0x10EC:
      return "Tellwave";
    case 0x1274:
      return "Sonaris";
    case 0x102B:
      return "Quillex";
    case 0x5333:
      return "Ferrant Graphics";
    default:
      return "";
  }
}

// The maker's boards by the names their driver's setup file gives them.
struct Board {
  std::uint16_t device, subsystem;
  const char* name;
  const char* chip;
  int ram_mb;
};

constexpr Board kBoards[] = {
    {0x0521, 0xFF02, "Quillex Vireo QX1", "QX1", 16},
    {0x0525, 0x217D, "Quillex Solace QX2 DUO MAX", "QX2", 32},
    {0x0525, 0x0378, "Quillex Solace QX2", "QX2", 32},
    {0x0525, 0x0E01, "Quillex QX2E QTV", "QX2E", 32},
    {0x2527, 0x0F82, "Quillex Solace QX3", "QX3", 64},
};

Board BoardOf(const PciDeviceSpec& d) {
  for (const Board& board : kBoards) {
    if (d.vendor_id == 0x102B && board.device == d.device_id && board.subsystem == d.subsystem_id) {
      return board;
    }
  }
  return {d.device_id, d.subsystem_id, nullptr, nullptr, 16};
}

// The display driver's service (NT: the one whose Enum names the card)
// and its package version.
struct DisplayDriver {
  std::string service, version;
};

DisplayDriver FindDisplayDriver(const Hive& registry, const PciDeviceSpec& card) {
  const std::string services = "SYSTEM\\CurrentControlSet\\Services";
  const HiveKey* key = registry.FindKey(services);
  if (key == nullptr) return {};
  const std::string prefix = Format("PCI\\VEN_%04X&DEV_%04X", card.vendor_id, card.device_id);
  for (std::size_t i = 0; i < key->SubKeyCount(); ++i) {
    const std::string base = services + "\\" + key->SubKey(i).name();
    const HiveValue* enumerated = registry.FindValue(base + "\\Enum", "0");
    if (enumerated == nullptr || RegistryText(enumerated->data).rfind(prefix, 0) != 0) continue;
    const HiveValue* version = registry.FindValue(base + "\\Device0", "PackageVer");
    return {key->SubKey(i).name(), version ? RegistryText(version->data) : ""};
  }
  return {};
}

// ---- firmware -------------------------------------------------------------

void Firmware(Inventory& inv, const Era& era) {
  inv.Add("Win32_BIOS", {{"Caption", era.bios_name},
                         {"Description", era.bios_name},
                         {"BuildNumber", nullptr},
                         {"Manufacturer", kBiosMaker},
                         {"Name", era.bios_name},
                         {"ReleaseDate", WmiDate(era.bios_year, era.bios_month, era.bios_day)},
                         {"Version", era.bios_version},
                         {"SMBIOSBIOSVersion", era.smbios_version},
                         {"SMBIOSPresent", true},
                         {"PrimaryBIOS", true},
                         {"Status", "OK"}});
  inv.Add("Win32_BaseBoard", {{"Caption", "Base Board"},
                              {"Description", "Base Board"},
                              {"Manufacturer", era.board_maker},
                              {"Name", "Base Board"},
                              {"Model", nullptr},
                              {"PartNumber", nullptr},
                              {"Product", era.board_product},
                              {"Version", era.board_version},
                              {"HostingBoard", true},
                              {"Tag", "Base Board"},
                              {"Status", "OK"}});
  // SMBIOS connector records: internal and external designators and the
  // connector kinds (a list, as WMI gives it).
  const struct {
    const char* internal;
    const char* external;
    int type;
  } connectors[] = {
      {"PRI IDE", nullptr, 22}, {"SEC IDE", nullptr, 22},   {"FDD", nullptr, 23},
      {"COM1", "COM A", 8},     {"COM2", "COM B", 8},       {"LPT1", "PRINTER", 5},
      {"USB1", "USB", 18},      {"PS2 KB", "KEYBOARD", 15}, {"PS2 MOUSE", "MOUSE", 15}};
  int tag = 0;
  for (const auto& c : connectors) {
    inv.Add("Win32_PortConnector",
            {{"Caption", "Port Connector"},
             {"Description", "Port Connector"},
             {"ConnectorPinout", nullptr},
             {"ConnectorType", json::array({c.type})},
             {"ExternalReferenceDesignator", c.external ? json(c.external) : json()},
             {"InternalReferenceDesignator", c.internal},
             {"Manufacturer", nullptr},
             {"Model", nullptr},
             {"Name", "Port Connector"},
             {"Tag", Format("Port Connector %d", tag++)},
             {"Version", nullptr},
             {"Status", nullptr}});
  }
}

// ---- processor, memory, the computer ----------------------------------------

void ProcessorAndMemory(Inventory& inv, const Era& era) {
  const std::string caption =
      Format("x86 Family %d Model %d Stepping %d", era.cpu_family, era.cpu_model, era.cpu_stepping);
  inv.Add("Win32_Processor",
          {{"Caption", caption},
           {"Description", caption},
           {"Manufacturer", era.cpu_vendor},
           {"Name", era.cpu_name},
           {"Architecture", 0},
           {"Version", Format("Model %d, Stepping %d", era.cpu_model, era.cpu_stepping)},
           {"CurrentClockSpeed", era.cpu_mhz},
           {"MaxClockSpeed", era.cpu_mhz},
           {"DataWidth", 32},
           {"AddressWidth", 32},
           {"DeviceID", "CPU0"},
           {"Revision", era.cpu_model * 256 + era.cpu_stepping},
           {"Level", era.cpu_family},
           {"L2CacheSize", era.l2_kb},
           {"ProcessorType", 3},
           {"Role", "CPU"},
           {"Status", "OK"}});
  for (int i = 0; i < era.dimms; ++i) {
    inv.Add("Win32_PhysicalMemory", {{"Caption", "Physical Memory"},
                                     {"Description", "Physical Memory"},
                                     {"BankLabel", Format("BANK%d", i)},
                                     {"Capacity", std::to_string(era.dimm_mb * kMegabyte)},
                                     {"DataWidth", 64},
                                     {"TotalWidth", 64},
                                     {"DeviceLocator", Format("DIMM%d", i)},
                                     {"FormFactor", 8},
                                     {"Model", nullptr},
                                     {"MemoryType", 0},
                                     {"Speed", nullptr},
                                     {"Tag", Format("Physical Memory %d", i)},
                                     {"TypeDetail", 128},
                                     {"Name", "Physical Memory"}});
  }
  inv.Add("Win32_ComputerSystem",
          {{"Caption", kComputerName},
           {"Name", kComputerName},
           {"Description", "AT/AT COMPATIBLE"},
           {"Domain", "WORKGROUP"},
           {"InfraredSupported", false},
           {"Manufacturer", era.board_maker},
           {"Model", era.system_model},
           {"NumberOfProcessors", 1},
           {"SystemType", "X86-based PC"},
           {"TotalPhysicalMemory", std::to_string(era.dimms * era.dimm_mb * kMegabyte)},
           {"Status", "OK"}});
}

// ---- Windows itself -----------------------------------------------------

void OperatingSystem(Inventory& inv, const Profile& profile, const Windows& w, const Era& era) {
  const int memory_kb = era.dimms * era.dimm_mb * 1024;
  inv.Add("Win32_OperatingSystem",
          {{"Caption", w.caption},
           {"Description", ""},
           {"BuildNumber", std::to_string(profile.version.build)},
           {"BuildType", w.nine_x ? json() : json("Uniprocessor Free")},
           {"CountryCode", "1"},
           {"Version", w.version},
           {"Manufacturer", "Windows"},
           {"Locale", "0409"},
           {"CSDVersion", profile.version.csd},
           {"Name", w.caption + "|" + w.windows_dir + "|\\Device\\Harddisk0\\Partition1"},
           {"OSType", w.os_type},
           {"WindowsDirectory", w.windows_dir},
           {"SystemDirectory", w.system_dir},
           {"CSName", kComputerName},
           {"TotalVisibleMemorySize", std::to_string(memory_kb)},
           {"Primary", true},
           {"Status", "OK"}});
  // 9x manages its swap file itself and lists none.
  if (!w.nine_x) {
    inv.Add("Win32_PageFile", {{"Caption", "C:\\pagefile.sys"},
                               {"Description", "C:\\pagefile.sys"},
                               {"Name", "C:\\pagefile.sys"},
                               {"Hidden", true},
                               {"InitialSize", memory_kb / 1024 * 3 / 2},
                               {"MaximumSize", memory_kb / 1024 * 3},
                               {"Status", "OK"}});
  }
  const struct {
    const char* file;
    const char* group;
    const char* description;
  } codecs[] = {{"msadp32.acm", "Audio", "ADPCM audio codec"},
                {"msg711.acm", "Audio", "G.711 A-law and u-law audio codec"},
                {"msrle32.dll", "Video", "RLE video codec"}};
  for (const auto& c : codecs) {
    const std::string path = w.system_dir + "\\" + c.file;
    inv.Add("Win32_CodecFile", {{"Caption", path},
                                {"Description", c.description},
                                {"FileName", c.file},
                                {"Group", c.group},
                                {"Manufacturer", "Windows"},
                                {"Name", path},
                                {"Version", w.version}});
  }
}

// ---- motherboard devices ------------------------------------------------

void SystemDevices(Inventory& inv, const Windows& w) {
  const auto port = [](std::uint64_t address) { return PnpResource{Kind::kPort, address}; };
  const auto irq = [](std::uint64_t number) { return PnpResource{Kind::kIrq, number}; };
  const auto dma = [](std::uint64_t number) { return PnpResource{Kind::kDma, number}; };
  const auto nt = [&w](const char* service) { return w.nine_x ? "" : service; };
  if (w.acpi && !w.nine_x) {
    inv.AddDevice({"ACPI_HAL\\PNP0C08\\0", "ACPI-Compliant System", "Windows", "ACPI", {irq(9)}});
  }
  const std::string system = "(Standard system devices)";
  inv.AddDevice({SystemDeviceId(w, "PNP0000", 0),
                 "Programmable interrupt controller",
                 system,
                 "",
                 {port(0x20), port(0xA0)}});
  inv.AddDevice(
      {SystemDeviceId(w, "PNP0100", 1), "System timer", system, "", {irq(0), port(0x40)}});
  inv.AddDevice({SystemDeviceId(w, "PNP0200", 2),
                 "Direct memory access controller",
                 system,
                 "",
                 {dma(4), port(0x00), port(0x80)}});
  inv.AddDevice({SystemDeviceId(w, "PNP0B00", 3),
                 "System CMOS/real time clock",
                 system,
                 "",
                 {irq(8), port(0x70)}});
  inv.AddDevice({SystemDeviceId(w, "PNP0800", 4), "System speaker", system, "", {port(0x61)}});
  inv.AddDevice({SystemDeviceId(w, "PNP0C04", 5),
                 "Numeric data processor",
                 system,
                 "",
                 {irq(13), port(0xF0)}});
  if (!w.nt4) {
    inv.AddDevice({"ISAPNP\\READDATAPORT\\0",
                   "ISAPNP Read Data Port",
                   system,
                   "",
                   {port(0x274), port(0x279), port(0xA79)}});
  }

  const std::string keyboard = SystemDeviceId(w, "PNP0303", 6);
  const char* keyboard_name = "Standard 101/102-Key PS/2 Keyboard";
  inv.AddDevice({keyboard,
                 keyboard_name,
                 "(Standard keyboards)",
                 nt("i8042prt"),
                 {irq(1), port(0x60), port(0x64)}});
  inv.Add("Win32_Keyboard", {{"Caption", keyboard_name},
                             {"Description", keyboard_name},
                             {"DeviceID", keyboard},
                             {"Layout", "00000409"},
                             {"Name", keyboard_name},
                             {"NumberOfFunctionKeys", 12},
                             {"PNPDeviceID", keyboard},
                             {"Status", "OK"}});
  const std::string mouse = SystemDeviceId(w, "PNP0F13", 7);
  const char* mouse_name = "PS/2 Compatible Mouse";
  inv.AddDevice({mouse, mouse_name, "(Standard mouse types)", nt("i8042prt"), {irq(12)}});
  inv.Add("Win32_PointingDevice", {{"Caption", mouse_name},
                                   {"Description", mouse_name},
                                   {"DeviceID", mouse},
                                   {"HardwareType", mouse_name},
                                   {"Manufacturer", "(Standard mouse types)"},
                                   {"Name", mouse_name},
                                   {"NumberOfButtons", 2},
                                   {"PNPDeviceID", mouse},
                                   {"Status", "OK"}});

  for (int n = 1; n <= 2; ++n) {
    const std::string id = SystemDeviceId(w, "PNP0501", 7 + n);
    const std::string name = Format("Communications Port (COM%d)", n);
    inv.AddDevice({id,
                   name,
                   "(Standard port types)",
                   nt("Serial"),
                   {irq(n == 1 ? 4 : 3), port(n == 1 ? 0x3F8 : 0x2F8)}});
    inv.Add("Win32_SerialPort", {{"Caption", name},
                                 {"Description", "Communications Port"},
                                 {"DeviceID", Format("COM%d", n)},
                                 {"MaxBaudRate", 115200},
                                 {"Name", name},
                                 {"OSAutoDiscovered", true},
                                 {"PNPDeviceID", id},
                                 {"ProviderType", "RS232 Serial Port"},
                                 {"Status", "OK"}});
  }
  const std::string lpt = SystemDeviceId(w, "PNP0401", 10);
  const char* lpt_name = "ECP Printer Port (LPT1)";
  inv.AddDevice({lpt,
                 lpt_name,
                 "(Standard port types)",
                 nt("Parport"),
                 {irq(7), port(0x378), port(0x778), dma(3)}});
  inv.Add("Win32_ParallelPort", {{"Caption", lpt_name},
                                 {"Description", "ECP Printer Port"},
                                 {"DeviceID", "LPT1"},
                                 {"DMASupport", true},
                                 {"Name", lpt_name},
                                 {"PNPDeviceID", lpt}});
  inv.Add("Win32_Printer", {{"Caption", "Generic / Text Only"},
                            {"Description", ""},
                            {"DriverName", "Generic / Text Only"},
                            {"Name", "Generic / Text Only"},
                            {"PortName", "LPT1:"},
                            {"SpoolEnabled", true},
                            {"Status", "Unknown"},
                            {"ServerName", nullptr},
                            {"Default", true}});

  const std::string fdc = SystemDeviceId(w, "PNP0700", 11);
  const char* fdc_name = "Standard floppy disk controller";
  inv.AddDevice({fdc,
                 fdc_name,
                 "(Standard floppy disk controllers)",
                 nt("Fdc"),
                 {irq(6), dma(2), port(0x3F0), port(0x3F7)}});
  inv.Add("Win32_FloppyController", {{"Caption", fdc_name},
                                     {"Description", fdc_name},
                                     {"DeviceID", fdc},
                                     {"Manufacturer", "(Standard floppy disk controllers)"},
                                     {"Name", fdc_name},
                                     {"PNPDeviceID", fdc},
                                     {"Status", "OK"}});
  const std::string floppy = w.nine_x ? "FLOP\\GENERIC_FLOPPY_DISK\\" + Flat(fdc)
                                      : "FDC\\GENERIC_FLOPPY_DRIVE\\5&1A9F4D8E&0&0";
  inv.AddDevice({floppy, "Floppy disk drive", "(Standard floppy disk drives)", nt("flpydisk"), {}});
  inv.Add("Win32_FloppyDrive", {{"Caption", "Floppy disk drive"},
                                {"Description", "Floppy disk drive"},
                                {"DeviceID", floppy},
                                {"Manufacturer", "(Standard floppy disk drives)"},
                                {"Name", "Floppy disk drive"},
                                {"PNPDeviceID", floppy},
                                {"Status", "OK"}});
}

// ---- PCI devices -------------------------------------------------------

std::uint8_t Revision(const PciDeviceSpec& d) {
  const auto it = d.registers.find(0x08);
  return it == d.registers.end() ? 0 : static_cast<std::uint8_t>(it->second & 0xFF);
}

std::string DeviceIdOf(const PciDeviceSpec& d, const Windows& w, std::uint8_t function = 0) {
  return PciDeviceId({d.vendor_id, d.device_id, d.subsystem_vendor, d.subsystem_id, Revision(d),
                      d.bus, d.device, function},
                     w.nine_x);
}

// The ranges the base address registers decode.
void AddBars(const PciDeviceSpec& d, std::vector<PnpResource>& resources, std::uint32_t align) {
  for (std::uint8_t reg = 0x10; reg <= 0x24; reg = static_cast<std::uint8_t>(reg + 4)) {
    const auto it = d.registers.find(reg);
    if (it == d.registers.end() || it->second == 0) continue;
    if (it->second & 1) {
      resources.push_back({Kind::kPort, it->second & ~3u});
    } else {
      resources.push_back({Kind::kMemory, it->second & ~0xFu & ~(align - 1)});
    }
  }
}

void AddVga(std::vector<PnpResource>& resources) {
  resources.push_back({Kind::kMemory, 0xA0000});
  resources.push_back({Kind::kPort, 0x3B0});
  resources.push_back({Kind::kPort, 0x3C0});
}

// What a device of each kind is given; the AGP bridge forwards the
// windows of the cards behind it (in megabytes) and the VGA ranges.
std::vector<PnpResource> PciResources(const PciDeviceSpec& d, const Profile& profile,
                                      const Windows& w) {
  std::vector<PnpResource> r;
  switch (d.class_code >> 8) {
    case 0x0600:
      r = {{Kind::kMemory, 0xE0000000}};  // the AGP aperture
      break;
    case 0x0604:
      for (const PciDeviceSpec& behind : profile.pci) {
        if (behind.bus == 1) AddBars(behind, r, 1u << 20);
      }
      AddVga(r);
      break;
    case 0x0601:
      r = {{Kind::kPort, 0x4D0}};
      break;
    case 0x0200:
      r = {{Kind::kIrq, 10}, {Kind::kPort, 0xD000}, {Kind::kMemory, 0xE4000000}};
      break;
    case 0x0401:
      r = {{Kind::kIrq, 5}, {Kind::kPort, 0xD400}};
      // 9x drivers add the legacy sound emulation DOS games need.
      if (w.nine_x) r.insert(r.end(), {{Kind::kPort, 0x220}, {Kind::kDma, 1}});
      break;
    case 0x0300:
      r = {{Kind::kIrq, 11}};
      AddBars(d, r, 1);
      AddVga(r);
      break;
    default:
      break;
  }
  return r;
}

void NetworkAdapters(Inventory& inv, const Windows& w, const std::optional<PnpDevice>& nic) {
  int index = 0;
  const auto add = [&](const std::string& name, json maker, json type, json pnp) {
    inv.Add("Win32_NetworkAdapter", {{"Caption", Format("[%08d] ", index) + name},
                                     {"Description", name},
                                     {"AdapterType", type},
                                     {"AutoSense", nullptr},
                                     {"DeviceID", std::to_string(index)},
                                     {"Index", index},
                                     {"Manufacturer", maker},
                                     {"Name", name},
                                     {"PNPDeviceID", pnp}});
    ++index;
  };
  if (w.nine_x) {
    add("Dial-Up Adapter", "Windows", nullptr, nullptr);
  } else {
    add("RAS Async Adapter", nullptr, "Wide Area Network (WAN)", nullptr);
  }
  if (nic) add(nic->description, nic->manufacturer, "Ethernet 802.3", nic->device_id);
  if (!w.nine_x && !w.nt4) {
    add("WAN Miniport (L2TP)", "Windows", "Wide Area Network (WAN)", "ROOT\\MS_L2TPMINIPORT\\0000");
  }
}

void Display(Inventory& inv, const PciDeviceSpec& card, const PnpDevice& device, const Windows& w,
             const std::string& driver_version) {
  const Board board = BoardOf(card);
  const std::string& name = device.description;
  inv.Add("Win32_VideoConfiguration", {{"Caption", name},
                                       {"Description", name},
                                       {"Name", name},
                                       {"AdapterType", board.chip ? json(board.chip) : json()},
                                       {"AdapterRAM", board.ram_mb * static_cast<int>(kMegabyte)},
                                       {"HorizontalResolution", w.width},
                                       {"VerticalResolution", w.height},
                                       {"BitsPerPixel", w.bits}});
  inv.Add("Win32_DisplayConfiguration", {{"Caption", name},
                                         {"Description", name},
                                         {"DeviceName", name},
                                         {"SettingID", name},
                                         {"BitsPerPel", w.bits},
                                         {"DisplayFrequency", 75},
                                         {"DriverVersion", TextOrNull(driver_version)},
                                         {"PelsHeight", w.height},
                                         {"PelsWidth", w.width}});
  const std::string mode = Format("%d by %d pixels, %s, 75 Hertz", w.width, w.height,
                                  w.bits == 32 ? "True Color" : "High Color");
  inv.Add("Win32_DisplayControllerConfiguration", {{"Caption", name},
                                                   {"Description", name},
                                                   {"Name", name},
                                                   {"HorizontalResolution", w.width},
                                                   {"VerticalResolution", w.height},
                                                   {"BitsPerPixel", w.bits},
                                                   {"RefreshRate", 75},
                                                   {"VideoMode", mode}});
}

void Monitor(Inventory& inv, const Windows& w) {
  const char* name = w.nt4 ? "Default Monitor" : "Plug and Play Monitor";
  inv.Add("Win32_DesktopMonitor", {{"Caption", name},
                                   {"Description", name},
                                   {"DeviceID", "DesktopMonitor1"},
                                   {"MonitorManufacturer", "(Standard monitor types)"},
                                   {"MonitorType", name},
                                   {"Name", name},
                                   {"ScreenHeight", w.height},
                                   {"ScreenWidth", w.width},
                                   {"Status", "OK"}});
}

// The drives on the chip's IDE channels: the disk on the primary, the
// CD-ROM on the secondary.
void Storage(Inventory& inv, const Windows& w, const Era& era, const PnpDevice& controller) {
  const std::string manufacturer = "(Standard IDE ATA/ATAPI controllers)";
  std::string channels[2];
  const char* names[2] = {"Primary IDE Channel", "Secondary IDE Channel"};
  if (w.nine_x) {
    names[0] = "Primary IDE controller (dual fifo)";
    names[1] = "Secondary IDE controller (dual fifo)";
  }
  for (unsigned n = 0; n < 2; ++n) {
    channels[n] = w.nine_x ? Format("MF\\CHILD%04u\\", n) + Flat(controller.device_id)
                           : Format("PCIIDE\\IDECHANNEL\\4&1A2B3C4D&0&%u", n);
    inv.AddDevice({channels[n],
                   names[n],
                   manufacturer,
                   w.nine_x ? "" : "atapi",
                   {{Kind::kIrq, 14u + n},
                    {Kind::kPort, n == 0 ? 0x1F0u : 0x170u},
                    {Kind::kPort, n == 0 ? 0x3F6u : 0x376u}}});
  }
  const std::pair<std::string, std::string> controllers[] = {
      {controller.device_id, controller.description},
      {channels[0], names[0]},
      {channels[1], names[1]}};
  for (const auto& [id, name] : controllers) {
    inv.Add("Win32_IDEController", {{"Caption", name},
                                    {"Description", name},
                                    {"DeviceID", id},
                                    {"Manufacturer", manufacturer},
                                    {"Name", name},
                                    {"PNPDeviceID", id},
                                    {"Status", "OK"}});
  }

  const std::string disk =
      w.nine_x
          ? "ESDI\\" + Underscored(era.disk_model) + "\\MF&CHILD0000&" + Flat(controller.device_id)
          : "IDE\\DISK" + Underscored(era.disk_model) + "\\4&2A4B3C5D&0&0.0.0";
  const std::string cdrom =
      w.nine_x
          ? "SCSI\\" + Underscored(era.cdrom_model) + "\\MF&CHILD0001&" + Flat(controller.device_id)
          : "IDE\\CDROM" + Underscored(era.cdrom_model) + "\\4&2A4B3C5D&0&1.0.0";
  inv.AddDevice({disk, "Disk drive", "(Standard disk drives)", w.nine_x ? "" : "disk", {}});
  inv.AddDevice({cdrom, "CD-ROM Drive", "(Standard CD-ROM drives)", w.nine_x ? "" : "cdrom", {}});
  inv.Associate("Win32_IDEControllerDevice", "Win32_IDEController", channels[0], disk);
  inv.Associate("Win32_IDEControllerDevice", "Win32_IDEController", channels[1], cdrom);

  const std::uint64_t disk_bytes = era.disk_gb * 1000ull * 1000 * 1000;
  inv.Add("Win32_DiskDrive", {{"Caption", era.disk_model},
                              {"Description", "Disk drive"},
                              {"DeviceID", "\\\\.\\PHYSICALDRIVE0"},
                              {"Index", 0},
                              {"InterfaceType", "IDE"},
                              {"Manufacturer", "(Standard disk drives)"},
                              {"MediaType", "Fixed hard disk media"},
                              {"Model", era.disk_model},
                              {"Name", "\\\\.\\PHYSICALDRIVE0"},
                              {"Partitions", 1},
                              {"PNPDeviceID", disk},
                              {"Size", std::to_string(disk_bytes)},
                              {"Status", "OK"}});
  inv.Add("Win32_CDROMDrive", {{"Caption", era.cdrom_model},
                               {"Description", "CD-ROM Drive"},
                               {"DeviceID", cdrom},
                               {"Drive", "D:"},
                               {"Manufacturer", "(Standard CD-ROM drives)"},
                               {"MediaType", "CD-ROM"},
                               {"Name", era.cdrom_model},
                               {"PNPDeviceID", cdrom},
                               {"RevisionLevel", era.cdrom_revision},
                               {"Status", "OK"}});
  const struct {
    const char* drive;
    const char* description;
    int type;
    const char* file_system;
  } drives[] = {{"A:", "3 1/2 Inch Floppy Drive", 2, nullptr},
                {"C:", "Local Fixed Disk", 3, w.file_system.c_str()},
                {"D:", "CD-ROM Disc", 5, nullptr}};
  for (const auto& d : drives) {
    json disk_json = {{"Caption", d.drive},
                      {"Description", d.description},
                      {"DeviceID", d.drive},
                      {"DriveType", d.type},
                      {"FileSystem", d.file_system ? json(d.file_system) : json()},
                      {"Name", d.drive}};
    // The one partition fills the disk but for its first track.
    if (d.type == 3) disk_json["Size"] = std::to_string(disk_bytes - 63 * 512);
    inv.Add("Win32_LogicalDisk", std::move(disk_json));
  }
}

void Usb(Inventory& inv, const Windows& w, const PnpDevice& controller) {
  inv.Add("Win32_USBController", {{"Caption", controller.description},
                                  {"Description", controller.description},
                                  {"DeviceID", controller.device_id},
                                  {"Manufacturer", controller.manufacturer},
                                  {"Name", controller.description},
                                  {"PNPDeviceID", controller.device_id},
                                  {"ProtocolSupported", 16},
                                  {"Status", "OK"}});
  const std::string hub = "USB\\ROOT_HUB\\4&1F5B1C2A&0";
  inv.AddDevice(
      {hub, "USB Root Hub", "(Standard USB Host Controller)", w.nine_x ? "" : "usbhub", {}});
  inv.Associate("Win32_USBControllerDevice", "Win32_USBController", controller.device_id, hub);
}

void PciDevices(Inventory& inv, const Profile& profile, const Windows& w, const Era& era) {
  const Hive registry = ParseRegedit4(profile.registry, "registry of profile " + profile.name);
  std::optional<PnpDevice> nic;
  bool monitor = false;
  for (const PciDeviceSpec& d : profile.pci) {
    const std::string maker = Maker(d.vendor_id);
    PnpDevice device{DeviceIdOf(d, w), PciClassName(d.class_code),
                     maker.empty() ? "(Standard system devices)" : maker, "",
                     PciResources(d, profile, w)};
    switch (maker.empty() ? 0 : d.class_code >> 8) {
      case 0x0600:
        device.description = maker + " CPU to PCI Bridge";
        break;
      case 0x0604:
        device.description = maker + " CPU to AGP Controller";
        break;
      case 0x0601:
        device.description = maker + " PCI to ISA Bridge";
        break;
      case 0x0200:
        device.description = maker + " PCI Fast Ethernet Adapter";
        if (!w.nine_x) device.service = "twfast";
        break;
      case 0x0401:
        device.description = maker + " PCI Audio";
        if (!w.nine_x) device.service = "sonaud";
        break;
      case 0x0300: {
        const Board board = BoardOf(d);
        device.description = board.name ? board.name : maker + " Display Adapter";
        break;
      }
    }
    DisplayDriver driver;
    if (d.class_code >> 8 == 0x0300) {
      driver = FindDisplayDriver(registry, d);
      device.service = driver.service;
    }
    inv.AddDevice(device);
    switch (d.class_code >> 8) {
      case 0x0200:
        nic = device;
        break;
      case 0x0401:
        inv.Add("Win32_SoundDevice", {{"Caption", device.description},
                                      {"Description", device.description},
                                      {"DeviceID", device.device_id},
                                      {"Manufacturer", device.manufacturer},
                                      {"Name", device.description},
                                      {"PNPDeviceID", device.device_id},
                                      {"ProductName", device.description},
                                      {"Status", "OK"}});
        break;
      case 0x0300:
        Display(inv, d, device, w, driver.version);
        if (!monitor) Monitor(inv, w);
        monitor = true;
        break;
    }
    // The chip behind this ISA bridge has its IDE and USB controllers as
    // functions 1 and 2 of the same slot (the simulated bus shows function
    // 0 only).
    if (d.vendor_id == 0x8086 && d.device_id == 0x7110) {
      PciDeviceSpec ide = d, usb = d;
      ide.device_id = 0x7111;
      usb.device_id = 0x7112;
      const PnpDevice ide_device{DeviceIdOf(ide, w, 1),
                                 maker + " PCI Bus Master IDE Controller",
                                 maker,
                                 w.nine_x ? "" : "pciide",
                                 {{Kind::kPort, 0xF000}}};
      inv.AddDevice(ide_device);
      Storage(inv, w, era, ide_device);
      // NT 4 has no USB support.
      if (!w.nt4) {
        const PnpDevice usb_device{DeviceIdOf(usb, w, 2),
                                   maker + " PCI to USB Universal Host Controller",
                                   maker,
                                   w.nine_x ? "" : "usbuhci",
                                   {{Kind::kIrq, 9}, {Kind::kPort, 0xE000}}};
        inv.AddDevice(usb_device);
        Usb(inv, w, usb_device);
      }
    }
  }
  NetworkAdapters(inv, w, nic);
}

}  // namespace

json BuiltinInventory(const Profile& profile) {
  const Era& era = EraOf(profile);
  const Windows w = WindowsOf(profile);
  Inventory inv(kComputerName);
  Firmware(inv, era);
  ProcessorAndMemory(inv, era);
  OperatingSystem(inv, profile, w, era);
  SystemDevices(inv, w);
  PciDevices(inv, profile, w, era);
  return inv.ToJson();
}

}  // namespace tunora::sim
