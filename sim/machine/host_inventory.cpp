#include "sim/machine/host_inventory.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "sim/machine/wmi_inventory.h"

namespace tunora::sim {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using Text = std::optional<std::string>;

constexpr std::size_t kSmallFile = 4096;
// /proc/cpuinfo grows with the processors (about 1.5 KB each).
constexpr std::size_t kCpuInfoFile = 64 * 1024;
// 32-bit Windows runs at most 32 processors.
constexpr std::size_t kMaxProcessors = 32;
constexpr std::size_t kMaxDevices = 256;

// Windows' own settings, not hardware: these classes stay the profile's.
const char* const kWindowsClasses[] = {"Win32_OperatingSystem",
                                       "Win32_PageFile",
                                       "Win32_CodecFile",
                                       "Win32_StartupCommand",
                                       "Win32_LogicalDisk",
                                       "Win32_Printer",
                                       "Win32_DisplayConfiguration",
                                       "Win32_DisplayControllerConfiguration"};

// At most `limit` bytes of a regular file (never a pipe or device that
// could block); nothing when it cannot be read.
Text ReadBounded(const fs::path& path, std::size_t limit = kSmallFile) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text(limit, '\0');
  in.read(text.data(), static_cast<std::streamsize>(limit));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// Printable ASCII (the port's text is ANSI), trimmed; nothing when empty.
Text Clean(const std::string& raw) {
  std::string text;
  for (char c : raw) text += (c >= 0x20 && c < 0x7F) ? c : ' ';
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

Text Field(const fs::path& path) {
  const Text raw = ReadBounded(path);
  return raw ? Clean(*raw) : std::nullopt;
}

json Value(const Text& text) { return text ? json(*text) : json(); }

template <typename T>
std::optional<T> Parse(const Text& text, int base = 10) {
  if (!text) return std::nullopt;
  std::string_view digits = *text;
  if (base == 16 && (digits.starts_with("0x") || digits.starts_with("0X"))) digits.remove_prefix(2);
  T value{};
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

// Directory entries in name order, at most `limit`; none when unreadable.
std::vector<fs::path> Entries(const fs::path& dir, std::size_t limit = kMaxDevices) {
  std::vector<fs::path> entries;
  std::error_code error;
  for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  if (entries.size() > limit) entries.resize(limit);
  return entries;
}

// "key : value" lines, blocks separated by empty lines.
std::vector<std::map<std::string, std::string>> Blocks(const std::string& text) {
  std::vector<std::map<std::string, std::string>> blocks(1);
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const auto colon = line.find(':');
    if (colon == std::string::npos) {
      if (!blocks.back().empty()) blocks.emplace_back();
      continue;
    }
    const Text key = Clean(line.substr(0, colon));
    if (key) blocks.back()[*key] = Clean(line.substr(colon + 1)).value_or("");
  }
  if (blocks.back().empty()) blocks.pop_back();
  return blocks;
}

Text Entry(const std::map<std::string, std::string>& block, const char* key) {
  const auto it = block.find(key);
  return it == block.end() || it->second.empty() ? std::nullopt : Text(it->second);
}

// "MM/DD/YYYY" as WMI's date text.
json BiosDate(const Text& date) {
  int month = 0, day = 0, year = 0;
  char end = 0;
  if (!date || std::sscanf(date->c_str(), "%2d/%2d/%4d%c", &month, &day, &year, &end) != 3 ||
      month < 1 || month > 12 || day < 1 || day > 31 || year < 1980 || year > 9999) {
    return nullptr;
  }
  return WmiDate(year, month, day);
}

// ---- firmware and the computer ---------------------------------------------

void Firmware(Inventory& inv, const fs::path& dmi) {
  const Text vendor = Field(dmi / "bios_vendor"), version = Field(dmi / "bios_version"),
             date = Field(dmi / "bios_date");
  if (vendor || version || date) {
    inv.Add("Win32_BIOS", {{"Caption", Value(version)},
                           {"Description", Value(version)},
                           {"BuildNumber", nullptr},
                           {"Manufacturer", Value(vendor)},
                           {"Name", Value(version)},
                           {"ReleaseDate", BiosDate(date)},
                           {"Version", Value(version)},
                           {"SMBIOSBIOSVersion", Value(version)}});
  }
  const Text board_vendor = Field(dmi / "board_vendor"), board_name = Field(dmi / "board_name"),
             board_version = Field(dmi / "board_version");
  if (board_vendor || board_name || board_version) {
    inv.Add("Win32_BaseBoard", {{"Caption", "Base Board"},
                                {"Description", "Base Board"},
                                {"Manufacturer", Value(board_vendor)},
                                {"Name", "Base Board"},
                                {"Model", nullptr},
                                {"PartNumber", nullptr},
                                {"Product", Value(board_name)},
                                {"Version", Value(board_version)}});
  }
}

// One instance per processor listed, as Windows lists logical processors.
// Returns how many and whether they are x86.
std::pair<int, bool> Processors(Inventory& inv, const fs::path& root) {
  const Text cpuinfo = ReadBounded(root / "proc/cpuinfo", kCpuInfoFile);
  if (!cpuinfo) return {0, false};
  int count = 0;
  bool x86 = false;
  for (const auto& block : Blocks(*cpuinfo)) {
    if (!block.contains("processor") || count == static_cast<int>(kMaxProcessors)) continue;
    const Text vendor = Entry(block, "vendor_id");
    const auto family = Parse<int>(Entry(block, "cpu family"));
    const auto model = Parse<int>(Entry(block, "model"));
    const auto stepping = Parse<int>(Entry(block, "stepping"));
    const Text mhz_text = Entry(block, "cpu MHz");
    json mhz;
    if (mhz_text) {
      char* end = nullptr;
      const double value = std::strtod(mhz_text->c_str(), &end);
      if (end != mhz_text->c_str() && *end == '\0' && value > 0 && value < 1e6) {
        mhz = static_cast<int>(std::lround(value));
      }
    }
    // x86 processors name their maker; ARM ones their implementer.
    json architecture;
    if (vendor) architecture = 0;
    if (!vendor && block.contains("CPU implementer")) architecture = 5;
    x86 = x86 || vendor.has_value();
    json caption, version, revision;
    if (vendor && family && model && stepping) {
      char text[96];
      std::snprintf(text, sizeof text, "x86 Family %d Model %d Stepping %d", *family, *model,
                    *stepping);
      caption = text;
      std::snprintf(text, sizeof text, "Model %d, Stepping %d", *model, *stepping);
      version = text;
      revision = (*model & 0xFF) * 256 + (*stepping & 0xFF);
    }
    inv.Add("Win32_Processor", {{"Caption", caption},
                                {"Description", caption},
                                {"Manufacturer", Value(vendor)},
                                {"Name", Value(Entry(block, "model name"))},
                                {"Architecture", architecture},
                                {"Version", version},
                                {"CurrentClockSpeed", mhz},
                                {"MaxClockSpeed", mhz},
                                // What 32-bit Windows sees of any x86.
                                {"DataWidth", vendor ? json(32) : json()},
                                {"AddressWidth", vendor ? json(32) : json()},
                                {"DeviceID", "CPU" + std::to_string(count)},
                                {"Revision", revision},
                                {"Status", "OK"}});
    ++count;
  }
  return {count, x86};
}

Text MemoryBytes(const fs::path& root) {
  const Text meminfo = ReadBounded(root / "proc/meminfo");
  if (!meminfo) return std::nullopt;
  for (const auto& block : Blocks(*meminfo)) {
    const Text total = Entry(block, "MemTotal");
    if (!total || !total->ends_with(" kB")) continue;
    const auto kb = Parse<std::uint64_t>(total->substr(0, total->size() - 3));
    if (kb && *kb < (std::uint64_t{1} << 50)) return std::to_string(*kb * 1024);
  }
  return std::nullopt;
}

void Computer(Inventory& inv, const fs::path& root, const std::string& name) {
  const fs::path dmi = root / "sys/class/dmi/id";
  const Text vendor = Field(dmi / "sys_vendor"), product = Field(dmi / "product_name");
  const auto [processors, x86] = Processors(inv, root);
  const Text memory = MemoryBytes(root);
  if (!vendor && !product && processors == 0 && !memory) return;
  inv.Add("Win32_ComputerSystem",
          {{"Caption", name},
           {"Name", name},
           {"Description", "AT/AT COMPATIBLE"},
           {"InfraredSupported", nullptr},
           {"Manufacturer", Value(vendor)},
           {"Model", Value(product)},
           {"NumberOfProcessors", processors > 0 ? json(processors) : json()},
           {"SystemType", x86 ? json("X86-based PC") : json()},
           {"TotalPhysicalMemory", Value(memory)}});
}

// ---- PCI devices ------------------------------------------------------------

struct HostPci {
  PciAddress address;
  std::uint32_t class_code = 0;
  std::string device_id;
};

std::optional<PciAddress> ParseSlot(const std::string& name) {
  unsigned domain = 0, bus = 0, slot = 0, function = 0;
  char end = 0;
  if (std::sscanf(name.c_str(), "%4x:%2x:%2x.%1x%c", &domain, &bus, &slot, &function, &end) != 4 ||
      bus > 0xFF || slot > 31 || function > 7) {
    return std::nullopt;
  }
  PciAddress address;
  address.bus = static_cast<std::uint8_t>(bus);
  address.slot = static_cast<std::uint8_t>(slot);
  address.function = static_cast<std::uint8_t>(function);
  return address;
}

// The resource file: "start end flags" per region, in hexadecimal.
void AddRegions(const Text& text, std::vector<PnpResource>& resources) {
  if (!text) return;
  constexpr std::uint64_t kIo = 0x100, kMemory = 0x200;
  std::istringstream lines(*text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string start, end, flags;
    fields >> start >> end >> flags;
    const auto first = Parse<std::uint64_t>(start, 16), bits = Parse<std::uint64_t>(flags, 16);
    if (!first || !bits || (*first == 0 && !Parse<std::uint64_t>(end, 16).value_or(0))) continue;
    if (*bits & kIo) resources.push_back({PnpResource::Kind::kPort, *first});
    if (*bits & kMemory) resources.push_back({PnpResource::Kind::kMemory, *first});
  }
}

json Controller(const PnpDevice& device) {
  return {{"Caption", device.description},
          {"Description", device.description},
          {"DeviceID", device.device_id},
          {"Manufacturer", nullptr},
          {"Name", device.description},
          {"PNPDeviceID", device.device_id},
          {"Status", "OK"}};
}

std::map<std::string, HostPci> PciDevices(Inventory& inv, const fs::path& root, bool nine_x) {
  std::map<std::string, HostPci> found;
  for (const fs::path& dir : Entries(root / "sys/bus/pci/devices")) {
    const std::string slot_name = dir.filename().string();
    std::optional<PciAddress> address = ParseSlot(slot_name);
    const auto vendor = Parse<std::uint16_t>(Field(dir / "vendor"), 16);
    const auto device = Parse<std::uint16_t>(Field(dir / "device"), 16);
    if (!address || !vendor || !device) continue;
    address->vendor = *vendor;
    address->device = *device;
    address->subsystem_vendor =
        Parse<std::uint16_t>(Field(dir / "subsystem_vendor"), 16).value_or(0);
    address->subsystem_id = Parse<std::uint16_t>(Field(dir / "subsystem_device"), 16).value_or(0);
    address->revision = Parse<std::uint8_t>(Field(dir / "revision"), 16).value_or(0);
    const std::uint32_t class_code = Parse<std::uint32_t>(Field(dir / "class"), 16).value_or(0);

    PnpDevice pnp{PciDeviceId(*address, nine_x), PciClassName(class_code), "", "", {}};
    const auto irq = Parse<std::uint32_t>(Field(dir / "irq"));
    if (irq && *irq > 0) pnp.resources.push_back({PnpResource::Kind::kIrq, *irq});
    AddRegions(ReadBounded(dir / "resource"), pnp.resources);
    inv.AddDevice(pnp);
    switch (class_code >> 8) {
      case 0x0300:
        inv.Add("Win32_VideoConfiguration", {{"Caption", pnp.description},
                                             {"Description", pnp.description},
                                             {"Name", pnp.description},
                                             {"AdapterType", nullptr},
                                             {"AdapterRAM", nullptr}});
        break;
      case 0x0401:
      case 0x0403:
        inv.Add("Win32_SoundDevice", {{"Caption", pnp.description},
                                      {"Description", pnp.description},
                                      {"DeviceID", pnp.device_id},
                                      {"Manufacturer", nullptr},
                                      {"Name", pnp.description},
                                      {"PNPDeviceID", pnp.device_id},
                                      {"ProductName", pnp.description},
                                      {"Status", "OK"}});
        break;
      case 0x0C03:
        inv.Add("Win32_USBController", Controller(pnp));
        break;
      case 0x0101:
      case 0x0106:
        inv.Add("Win32_IDEController", Controller(pnp));
        break;
      case 0x0100:
      case 0x0104:
      case 0x0107:
      case 0x0108: {
        json controller = Controller(pnp);
        controller.update(
            {{"DriverName", nullptr}, {"HardwareVersion", nullptr}, {"MaxDataWidth", nullptr}});
        inv.Add("Win32_SCSIController", std::move(controller));
        break;
      }
      case 0x0C00:
        inv.Add("Win32_1394Controller", Controller(pnp));
        break;
    }
    found[slot_name] = {*address, class_code, pnp.device_id};
  }
  return found;
}

// ---- disks and network interfaces ---------------------------------------------

bool Virtual(const std::string& name) {
  for (const char* prefix : {"loop", "ram", "zram", "dm-", "md", "nbd"}) {
    if (name.starts_with(prefix)) return true;
  }
  return false;
}

json InterfaceType(const std::string& name) {
  if (name.starts_with("hd")) return "IDE";
  if (name.starts_with("sd") || name.starts_with("nvme") || name.starts_with("vd")) return "SCSI";
  return nullptr;
}

void Drives(Inventory& inv, const fs::path& root) {
  int disks = 0;
  for (const fs::path& dir : Entries(root / "sys/block", 64)) {
    const std::string name = dir.filename().string();
    std::error_code error;
    if (Virtual(name) || !fs::exists(dir / "device", error)) continue;
    const Text model = Field(dir / "device/model");
    if (name.starts_with("sr")) {
      inv.Add("Win32_CDROMDrive", {{"Caption", Value(model)},
                                   {"Description", "CD-ROM Drive"},
                                   {"DeviceID", nullptr},
                                   {"Drive", nullptr},
                                   {"Manufacturer", "(Standard CD-ROM drives)"},
                                   {"MediaType", "CD-ROM"},
                                   {"Name", Value(model)},
                                   {"RevisionLevel", Value(Field(dir / "device/rev"))},
                                   {"Status", "OK"}});
      continue;
    }
    const auto sectors = Parse<std::uint64_t>(Field(dir / "size"));
    const auto removable = Parse<int>(Field(dir / "removable"));
    int partitions = 0;
    for (const fs::path& part : Entries(dir, 1024)) {
      if (part.filename().string().starts_with(name)) ++partitions;
    }
    const std::string id = "\\\\.\\PHYSICALDRIVE" + std::to_string(disks);
    inv.Add("Win32_DiskDrive", {{"Caption", Value(model)},
                                {"Description", "Disk drive"},
                                {"DeviceID", id},
                                {"Index", disks},
                                {"InterfaceType", InterfaceType(name)},
                                {"Manufacturer", "(Standard disk drives)"},
                                {"MediaType", !removable   ? json()
                                              : *removable ? json("Removable media")
                                                           : json("Fixed hard disk media")},
                                {"Model", Value(model)},
                                {"Name", id},
                                {"Partitions", partitions},
                                {"Size", sectors && *sectors < (std::uint64_t{1} << 54)
                                             ? json(std::to_string(*sectors * 512))
                                             : json()},
                                {"Status", "OK"}});
    ++disks;
  }
}

void NetworkAdapters(Inventory& inv, const fs::path& root,
                     const std::map<std::string, HostPci>& pci) {
  int index = 0;
  for (const fs::path& dir : Entries(root / "sys/class/net", 64)) {
    const std::string name = dir.filename().string();
    std::error_code error;
    // Interfaces without a device (loopback, bridges, tunnels) are not adapters.
    if (!fs::exists(dir / "device", error)) continue;
    // The device is the PCI function or a child of one (a virtio device).
    auto it = pci.end();
    fs::path device = fs::weakly_canonical(dir / "device", error);
    for (int up = 0; up < 3 && !error && it == pci.end(); ++up, device = device.parent_path()) {
      it = pci.find(device.filename().string());
    }
    const Text mac = Field(dir / "address");
    std::string address = mac.value_or("");
    std::transform(address.begin(), address.end(), address.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto type = Parse<int>(Field(dir / "type"));
    const auto speed = Parse<std::uint64_t>(Field(dir / "speed"));
    const std::string description = it != pci.end() ? PciClassName(it->second.class_code) : name;
    char caption[32];
    std::snprintf(caption, sizeof caption, "[%08d] ", index);
    inv.Add(
        "Win32_NetworkAdapter",
        {{"Caption", caption + description},
         {"Description", description},
         {"AdapterType", type == 1 ? json("Ethernet 802.3") : json()},
         {"AutoSense", nullptr},
         {"DeviceID", std::to_string(index)},
         {"Index", index},
         {"MACAddress", address.empty() ? json() : json(address)},
         {"Manufacturer", nullptr},
         {"Name", description},
         {"NetConnectionID", name},
         {"PNPDeviceID", it != pci.end() ? json(it->second.device_id) : json()},
         {"Speed", speed && *speed < 1000000 ? json(std::to_string(*speed * 1000000)) : json()}});
    ++index;
  }
}

std::string ComputerName(const fs::path& root) {
  std::string name = Field(root / "proc/sys/kernel/hostname").value_or("SUPPORT-PC");
  name = name.substr(0, name.find('.'));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

}  // namespace

json HostInventory(const fs::path& root, const Profile& profile) {
  const bool nine_x = profile.version.platform_id == kVerPlatformWin32Windows;
  const std::string computer = ComputerName(root);
  Inventory inv(computer);
  Firmware(inv, root / "sys/class/dmi/id");
  Computer(inv, root, computer);
  const auto pci = PciDevices(inv, root, nine_x);
  Drives(inv, root);
  NetworkAdapters(inv, root, pci);
  const json host = inv.ToJson();

  json result = profile.wmi.is_object() ? profile.wmi : json::object();
  if (!result.contains("classes") || !result["classes"].is_object()) {
    result["classes"] = json::object();
  }
  json& classes = result["classes"];
  for (const auto& [name, instances] : host["classes"].items()) {
    const bool windows_own = std::find(std::begin(kWindowsClasses), std::end(kWindowsClasses),
                                       name) != std::end(kWindowsClasses);
    std::vector<std::string> same;
    for (const auto& [existing, value] : classes.items()) {
      if (NamesEqual(existing, name)) same.push_back(existing);
    }
    if (windows_own && !same.empty()) continue;
    for (const std::string& existing : same) classes.erase(existing);
    classes[name] = instances;
  }
  if (!result.contains("namespace") || result["namespace"] == "") {
    result["namespace"] = kCimv2Namespace;
  }
  return result;
}

}  // namespace tunora::sim
