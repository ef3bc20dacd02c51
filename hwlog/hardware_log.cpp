#include "hwlog/hardware_log.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <initializer_list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "registry/reg_access.h"
#include "resources/dialogs.h"
#include "resources/strings.h"

namespace tunora {
namespace {

constexpr std::size_t kSectionWidth = 66;
constexpr std::string_view kDeviceRule = "  --------------------------------------- ";
constexpr std::string_view kProductIdKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr std::uint32_t kProductIdBuffer = 260;
// Resource paths carry short numbers; nothing longer is kept of an address.
constexpr std::size_t kAddressLimit = 64;

using Kind = PropertyKind;
using Decoding = NumberDecoding;

PropertySlot Number(std::string_view name, Decoding decoding = Decoding::kNone) {
  return {name, Kind::kNumber, decoding};
}
PropertySlot Boolean(std::string_view name) { return {name, Kind::kBoolean}; }

// What a section writes besides its class dumps.
enum class Extra { kNone, kCaptureMark, kProductId };

struct Section {
  std::string_view title;
  ClassQuery query;
  Extra extra = Extra::kNone;
};

// The dumped sections in file order, from "BIOS Info" on; the processor
// and hardware-enumeration sections are written by hand between them.
const std::vector<Section>& SectionsBeforeProcessor() {
  static const std::vector<Section> sections = {
      {"BIOS Info", MakeQuery("Win32_BIOS", {{"Caption"},
                                             {"Description"},
                                             {"BuildNumber"},
                                             {"Manufacturer"},
                                             {"Name"},
                                             {"ReleaseDate"},
                                             {"Version"}})},
      {"MotherBoard",
       MakeQuery("Win32_BaseBoard", {{"Caption"},
                                     {"Description"},
                                     {"Manufacturer"},
                                     {"Name"},
                                     {"Model"},
                                     {"PartNumber"},
                                     {"Version"}}),
       Extra::kCaptureMark},
  };
  return sections;
}

const std::vector<Section>& SectionsBeforeEnumeration() {
  static const std::vector<Section> sections = {
      {"Battery",
       MakeQuery("Win32_Battery",
                 {{"Caption"}, {"Description"}, Number("Chemistry", Decoding::kChemistry)})},
      {"1394 Controller",
       MakeQuery("Win32_1394Controller", {{"Caption"}, {"Description"}, {"Manufacturer"}})},
      {"1394 Devices", MakeQuery("Win32_1394ControllerDevice", {{"Antecedent"}, {"Dependent"}})},
      {"CDROM Drive(s)",
       MakeQuery("Win32_CDROMDrive",
                 {{"Caption"}, {"Description"}, {"Drive"}, {"Manufacturer"}, {"RevisionLevel"}})},
      {"Codec Info",
       MakeQuery("Win32_CodecFile", {{"Caption"}, {"Description"}, {"Group"}, {"Version"}})},
      {"Computer System Info", MakeQuery("Win32_ComputerSystem", {{"Caption"},
                                                                  {"Description"},
                                                                  Boolean("InfraredSupported"),
                                                                  {"Manufacturer"},
                                                                  {"Model"},
                                                                  Number("NumberOfProcessors"),
                                                                  {"SystemType"}})},
      {"Desktop Monitor Info",
       MakeQuery("Win32_DesktopMonitor",
                 {{"Caption"}, {"Description"}, {"MonitorManufacturer"}, {"MonitorType"}})},
      {"Disk Drive Info", MakeQuery("Win32_DiskDrive", {{"Caption"},
                                                        {"Description"},
                                                        {"MediaType"},
                                                        {"Model"},
                                                        {"Manufacturer"},
                                                        {"Model"},
                                                        {"InterfaceType"}})},
      {"Display Configuration Info",
       MakeQuery("Win32_DisplayConfiguration", {{"Caption"},
                                                {"Description"},
                                                Number("BitsPerPel"),
                                                Number("DisplayFrequency"),
                                                {"DriverVersion"},
                                                Number("PelsHeight"),
                                                Number("PelsWidth")})},
      {"Display Controller Info",
       MakeQuery("Win32_DisplayControllerConfiguration", {{"Caption"},
                                                          {"Description"},
                                                          Number("HorizontalResolution"),
                                                          Number("VerticalResolution"),
                                                          {"VideoMode"}})},
      {"Fan Info",
       MakeQuery(
           "Win32_Fan",
           {{"Caption"}, {"Description"}, Boolean("ActiveCooling"), Boolean("VariableSpeed")})},
      {"Floppy Controller Info",
       MakeQuery("Win32_FloppyController",
                 {{"Caption"}, {"Description"}, {"Manufacturer"}, {"Status"}})},
      {"Floppy Drive Info",
       MakeQuery("Win32_FloppyDrive",
                 {{"Caption"}, {"Description"}, {"Manufacturer"}, {"Status"}})},
      {"IDE Controller Info",
       MakeQuery("Win32_IDEController",
                 {{"Caption"}, {"Description"}, {"Manufacturer"}, {"Status"}})},
      {"IDE Device Info", MakeQuery("Win32_IDEControllerDevice", {{"Antecedent"}, {"Dependent"}})},
      {"Infrared Device Info",
       MakeQuery("Win32_InfraredDevice",
                 {{"Caption"}, {"Description"}, {"Manufacturer"}, {"Status"}})},
      {"Keyboard Info",
       MakeQuery("Win32_KeyBoard", {{"Caption"}, {"Description"}, {"Layout"}, {"Status"}})},
      {"Logical Drive Info",
       MakeQuery("Win32_LogicalDisk", {{"Caption"}, {"Description"}, {"FileSystem"}})},
      {"Network Adapter Info", MakeQuery("Win32_NetworkAdapter", {{"Caption"},
                                                                  {"Description"},
                                                                  {"AdapterType"},
                                                                  Boolean("AutoSense"),
                                                                  {"Manufacturer"}})},
      {"Operating System Info",
       MakeQuery("Win32_OperatingSystem", {{"Caption"},
                                           {"Description"},
                                           {"BuildNumber"},
                                           {"BuildType"},
                                           {"CountryCode"},
                                           {"Version"},
                                           {"Manufacturer"},
                                           {"Locale"},
                                           {"CSDVersion"}}),
       Extra::kProductId},
      {"Swap / Page File Info", MakeQuery("Win32_PageFile", {{"Caption"},
                                                             {"Description"},
                                                             Boolean("Hidden"),
                                                             Number("InitialSize"),
                                                             Number("MaximumSize"),
                                                             {"Status"}})},
      {"Parallel Port Info",
       MakeQuery("Win32_ParallelPort", {{"Caption"}, {"Description"}, Boolean("DMASupport")})},
      {"PCMCIA Controller Info",
       MakeQuery("Win32_PCMCIAController", {{"Caption"},
                                            {"Description"},
                                            {"Manufacturer"},
                                            {"Status"},
                                            Number("ProtocolSupported")})},
      {"Physical Memory Info", MakeQuery("Win32_PhysicalMemory", {{"Caption"},
                                                                  {"Description"},
                                                                  {"BankLabel"},
                                                                  Number("DataWidth"),
                                                                  {"DeviceLocator"},
                                                                  {"Model"},
                                                                  Number("MemoryType"),
                                                                  Number("Speed"),
                                                                  {"Tag"},
                                                                  Number("TypeDetail")})},
  };
  return sections;
}

const std::vector<Section>& SectionsAfterEnumeration() {
  static const std::vector<Section> sections = {
      {"Pointing Device Info",
       MakeQuery("Win32_PointingDevice",
                 {{"Caption"}, {"Description"}, {"HardwareType"}, {"Manufacturer"}})},
      {"Portable Battery Info",
       MakeQuery("Win32_PortableBattery",
                 {{"Caption"}, {"Description"}, {"DeviceID"}, {"Manufacturer"}, {"Status"}})},
      {"Port Connector Info", MakeQuery("Win32_PortConnector", {{"Caption"},
                                                                {"Description"},
                                                                {"ConnectorPinout"},
                                                                {"ExternalReferenceDesignator"},
                                                                {"InternalReferenceDesignator"},
                                                                {"Manufacturer"},
                                                                {"Model"},
                                                                {"Version"},
                                                                {"Tag"},
                                                                {"Status"}})},
      {"Modem Info",
       MakeQuery("Win32_POTSModem",
                 {{"Caption"}, {"Description"}, {"DeviceType"}, {"Model"}, {"Status"}})},
      {"Printer Info", MakeQuery("Win32_Printer", {{"Caption"},
                                                   {"Description"},
                                                   {"DriverName"},
                                                   {"PortName"},
                                                   Boolean("SpoolEnabled"),
                                                   {"Status"},
                                                   {"ServerName"}})},
      {"Scsi Controller Info", MakeQuery("Win32_SCSIController", {{"Caption"},
                                                                  {"Description"},
                                                                  {"DriverName"},
                                                                  {"HardwareVersion"},
                                                                  Number("MaxDataWidth"),
                                                                  {"Manufacturer"}})},
      {"Serial Port Info", MakeQuery("Win32_SerialPort", {{"Caption"},
                                                          {"Description"},
                                                          {"Name"},
                                                          Boolean("OSAutoDiscovered"),
                                                          {"ProviderType"},
                                                          {"Status"}})},
      {"Audio Device Info", MakeQuery("Win32_SoundDevice", {{"Caption"},
                                                            {"Description"},
                                                            {"Manufacturer"},
                                                            {"ProductName"},
                                                            {"Name"},
                                                            {"Status"}})},
      {"Startup Command Info",
       MakeQuery("Win32_StartupCommand",
                 {{"Caption"}, {"Description"}, {"Command"}, {"Location"}, {"Name"}})},
      {"Tape Drive Info",
       MakeQuery("Win32_TapeDrive",
                 {{"Caption"}, {"Description"}, {"Id"}, {"Manufacturer"}, {"name"}, {"Status"}})},
      {"Temperature Probe Info", MakeQuery("Win32_TemperatureProbe", {{"Caption"},
                                                                      {"Description"},
                                                                      Number("NominalReading"),
                                                                      Number("CurrentReading"),
                                                                      {"Status"}})},
      {"UPS Info", MakeQuery("Win32_UninterruptiblePowerSupply",
                             {{"Caption"}, {"Description"}, {"Name"}, {"Status"}})},
      {"USB Controller Info",
       MakeQuery("Win32_USBController",
                 {{"Caption"}, {"Description"}, {"Name"}, {"Manufacturer"}, {"Status"}})},
      {"USB Device Info", MakeQuery("Win32_USBControllerDevice", {{"Antecedent"}, {"Dependent"}})},
      {"Video Configuration Info",
       MakeQuery("Win32_VideoConfiguration",
                 {{"Caption"}, {"Description"}, {"AdapterType"}, Number("AdapterRAM")})},
  };
  return sections;
}

std::string ProductId(Registry& registry) {
  const RegHandle key = RegHandle::Open(registry, kProductIdKey);
  if (!key) return "N/A";
  return QueryText(registry, key.key(), "ProductId", kProductIdBuffer).value_or("");
}

// The text after the first `marker` in `text`, at most `length` characters.
std::string After(std::string_view text, std::string_view marker, std::size_t length) {
  const std::size_t at = text.find(marker);
  if (at == std::string_view::npos) return {};
  return std::string(text.substr(at + marker.size(), length));
}

using LineWriter = std::function<void(std::string_view label, std::string_view value)>;

// What an entity's device identifier tells: its vendor, device, subsystem
// and revision numbers and the kind of bus it sits on.
void IdentifierLines(const std::string& id, const LineWriter& line) {
  const struct {
    std::string_view marker, label;
    std::size_t length;
  } parts[] = {{"VEN_", "  VendorID      = ", 4},
               {"DEV_", "  DeviceID      = ", 4},
               {"SUBSYS_", "  SubSysID      = ", 8},
               {"REV_", "  Revision      = ", 2}};
  for (const auto& part : parts) {
    if (id.find(part.marker) != std::string::npos) {
      line(part.label, After(id, part.marker, part.length));
    }
  }
  if (id.find("ISAPNP\\") != std::string::npos) line("  ISA Device ID = ", id);
  if (id.find("ACPI\\") != std::string::npos) line("  ACPI          = ", "ACPI System Device");
  if (id.find("ACPI_HAL\\") != std::string::npos) line("  ACPI          = ", "ACPI System Device");
  if (id.find("PCIIDE\\") != std::string::npos) line("  IDE           = ", "IDE System Device");
}

// An allocated resource's interrupt, DMA channel or starting address.
void ResourceLines(const std::string& antecedent, const LineWriter& line) {
  if (antecedent.find("IRQNumber=") != std::string::npos) {
    std::string irq = After(antecedent, "IRQNumber=", 2);
    if (irq.size() == 2 && irq[1] == '"') irq.resize(1);
    line("  IRQ           = ", irq);
  }
  if (antecedent.find("DMAChannel=") != std::string::npos) {
    line("  DMA           = ", After(antecedent, "DMAChannel=", 1));
  }
  if (antecedent.find("StartingAddress=") != std::string::npos) {
    // A 64-bit key is quoted in an object path; the number inside counts.
    std::string address = After(antecedent, "StartingAddress=", kAddressLimit + 1);
    if (!address.empty() && address.front() == '"') address.erase(0, 1);
    address = address.substr(0, std::min(address.find('"'), kAddressLimit));
    line("  Address       = ", address);
  }
}

class LogWriter {
 public:
  LogWriter(const LogInputs& inputs, HardwareLogState& state)
      : inputs_(inputs), platform_(inputs.hw.platform), state_(state) {}

  // Writes the temporary file with every section, or with those before
  // the one that ended the log; true when the file was written.
  [[nodiscard]] bool Write() {
    // The log ends where a failure ends it: what came before is kept.
    WriteSections();
    return platform_.files.WriteFile(kHardwareLogTempPath, log_.bytes());
  }

 private:
  // Stops at the first section a failure ends.
  void WriteSections() {
    ProductId(platform_.registry);
    if (!OpenWmiConnection(platform_, state_.connection, log_)) {
      ShowLogDialog(platform_, LogFailedDialog());
      return;
    }
    const std::string product_id = ProductId(platform_.registry);
    const std::string revision = ReadBiosVersionText(inputs_.hw);

    log_ << SectionLine("Video BIOS Info", false) << '\n'
         << "  Bios Revision        = " << LogValue(revision) << '\n';
    Footer("Video BIOS Info");
    if (!Dump(SectionsBeforeProcessor(), product_id)) return;

    log_ << SectionLine("Processor", false) << '\n';
    if (!DumpClass(MakeQuery("Win32_Processor", {{"Manufacturer"},
                                                 {"Caption"},
                                                 Number("Architecture", Decoding::kArchitecture),
                                                 {"Version"},
                                                 Number("CurrentClockSpeed", Decoding::kMhz),
                                                 Number("DataWidth", Decoding::kBits),
                                                 Number("AddressWidth", Decoding::kBits)})) ||
        !DumpClass(MakeQuery("Win32_Processor", {{"DeviceID"}, Number("Revision")}))) {
      return;
    }
    Footer("Processor");
    if (!Dump(SectionsBeforeEnumeration(), product_id)) return;

    if (!DumpClass(MakeQuery("Win32_PNPAllocatedResource", {{"Antecedent"}, {"Dependent"}},
                             QueryMode::kCollectAllocations)) ||
        !DumpClass(MakeQuery("Win32_PnPEntity",
                             {{"Caption"},
                              {"Description"},
                              {"Manufacturer"},
                              {"DeviceID"},
                              {"PNPDeviceID"},
                              {"Service"},
                              {"Status"}},
                             QueryMode::kCollectEntities))) {
      return;
    }
    log_ << SectionLine("Hardware Enumeration Info", false) << '\n'
         << HardwareEnumeration(state_.collection);
    Footer("Hardware Enumeration Info");
    static_cast<void>(Dump(SectionsAfterEnumeration(), product_id));
  }

  [[nodiscard]] bool Dump(const std::vector<Section>& sections, const std::string& product_id) {
    for (const Section& section : sections) {
      log_ << SectionLine(section.title, false) << '\n';
      if (section.extra == Extra::kCaptureMark && inputs_.stored_capture_mode == 1) {
        log_ << "  [VDCaption]\n";
      }
      if (!DumpClass(section.query)) return false;
      if (section.extra == Extra::kProductId) {
        log_ << "  Product ID           = " << LogValue(product_id) << '\n';
      }
      Footer(section.title);
    }
    return true;
  }

  [[nodiscard]] bool DumpClass(const ClassQuery& query) {
    return tunora::DumpClass(platform_, state_.connection, log_, query, state_.collection);
  }

  void Footer(std::string_view title) { log_ << SectionLine(title, true) << "\n\n"; }

  const LogInputs& inputs_;
  Platform& platform_;
  HardwareLogState& state_;
  LogText log_;
};

}  // namespace

std::vector<std::string_view> LoggedClasses() {
  std::vector<std::string_view> names;
  for (const auto* sections :
       {&SectionsBeforeProcessor(), &SectionsBeforeEnumeration(), &SectionsAfterEnumeration()}) {
    for (const Section& section : *sections) names.push_back(section.query.class_name);
  }
  for (std::string_view name :
       {"Win32_Processor", "Win32_PNPAllocatedResource", "Win32_PnPEntity"}) {
    names.push_back(name);
  }
  return names;
}

std::string SectionLine(std::string_view title, bool end) {
  std::string line = std::string(end ? "[ END " : "[ ") + std::string(title) + " ]";
  const std::size_t width = title == "Floppy Drive Info"     ? 61
                            : title == "IDE Controller Info" ? 63
                                                             : kSectionWidth;
  if (line.size() < width) line.append(width - line.size(), '-');
  return line;
}

std::optional<std::string> PathDeviceId(std::string_view path) {
  constexpr std::string_view kKey = "DeviceID=";
  const std::size_t open = path.find('"');
  // Property names in a path match whatever their case.
  const auto same_letters = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  if (open == std::string_view::npos || open < kKey.size() ||
      !std::equal(kKey.begin(), kKey.end(), path.begin() + (open - kKey.size()), same_letters)) {
    return std::nullopt;
  }
  std::string id;
  for (std::size_t i = open + 1; i < path.size(); ++i) {
    char c = path[i];
    if (c == '"') {
      if (i + 1 != path.size()) return std::nullopt;
      return id;
    }
    if (c == '\\') {
      if (i + 1 == path.size() || (path[i + 1] != '\\' && path[i + 1] != '"')) return std::nullopt;
      c = path[++i];
    }
    id += c;
  }
  return std::nullopt;
}

std::string HardwareEnumeration(const PnpCollection& c) {
  std::string out;
  const auto line = [&](std::string_view label, std::string_view value) {
    out.append(label).append(LogValue(value)).append("\n");
  };
  const auto stored = [](int count) {
    return static_cast<std::size_t>(std::clamp(count, 0, static_cast<int>(kPnpEntries)));
  };
  // Each identifier's allocations in enumeration order, so every entity
  // finds its own at once.
  std::unordered_map<std::string, std::vector<std::size_t>> allocations;
  for (std::size_t a = 1; a < stored(c.allocation_count); ++a) {
    if (std::optional<std::string> id = PathDeviceId(c.dependents[a])) {
      allocations[*id].push_back(a);
    }
  }
  for (std::size_t e = 1; e < stored(c.entity_count); ++e) {
    const auto found = allocations.find(c.device_ids[e]);
    if (found == allocations.end()) continue;
    out.append(kDeviceRule).append("\n");
    line("  Device        = ", c.descriptions[e]);
    line("  Manufacturer  = ", c.manufacturers[e]);
    IdentifierLines(c.device_ids[e], line);
    for (const std::size_t a : found->second) ResourceLines(c.antecedents[a], line);
  }
  out.append(kDeviceRule).append("\n");
  return out;
}

void GenerateHardwareLog(const LogInputs& inputs, HardwareLogState& state) {
  Platform& platform = inputs.hw.platform;
  if (state.attempt != LogAttempt::kNone) {
    // One attempt a run (the management connection cannot be set up
    // twice in a process): later presses say how it ended.
    platform.ui.MessageBox(
        state.attempt == LogAttempt::kCreated ? kLogAlreadyCreated : kLogFileOpenError,
        kProgramName, kMbOk);
    return;
  }
  platform.files.DeleteFile(kHardwareLogTempPath);
  platform.files.DeleteFile(kHardwareLogPath);
  bool written = false;
  {
    const WaitCursor wait(platform.ui);
    written = LogWriter(inputs, state).Write();
  }
  state.attempt = LogAttempt::kFailed;

  const std::optional<std::string> temp =
      written ? platform.files.ReadFile(kHardwareLogTempPath) : std::nullopt;
  const bool copied = temp && platform.files.WriteFile(kHardwareLogPath, SealLog(*temp));
  platform.files.DeleteFile(kHardwareLogTempPath);
  if (!copied) {
    // No half-written file may pass for a log.
    platform.files.DeleteFile(kHardwareLogPath);
    platform.ui.MessageBox(kLogFileOpenError, kProgramName, kMbOk);
    return;
  }
  state.attempt = LogAttempt::kCreated;
  ShowLogDialog(platform, LogCreatedDialog());
}

}  // namespace tunora
