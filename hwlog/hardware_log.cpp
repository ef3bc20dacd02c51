#include "hwlog/hardware_log.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <optional>
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

class LogWriter {
 public:
  LogWriter(const LogInputs& inputs, HardwareLogState& state)
      : inputs_(inputs), platform_(inputs.hw.platform), state_(state) {}

  // 1 when every section was written.
  int Write() {
    const int result = WriteSections();
    platform_.files.WriteFile(kHardwareLogTempPath, log_.bytes());
    return result;
  }

 private:
  int WriteSections() {
    ProductId(platform_.registry);
    if (OpenWmiConnection(platform_, state_.connection, log_) == 0) {
      ShowLogDialog(platform_, LogFailedDialog());
      return 0;
    }
    const std::string product_id = ProductId(platform_.registry);
    const std::string revision = ReadBiosVersionText(inputs_.hw, inputs_.nt_road);

    log_ << SectionLine("Video BIOS Info", false) << '\n'
         << "  Bios Revision        = " << revision << '\n';
    Footer("Video BIOS Info");
    if (!Dump(SectionsBeforeProcessor(), product_id)) return 0;

    log_ << SectionLine("Processor", false) << '\n';
    if (!DumpClass(MakeQuery("Win32_Processor", {{"Manufacturer"},
                                                 {"Caption"},
                                                 Number("Architecture", Decoding::kArchitecture),
                                                 {"Version"},
                                                 Number("CurrentClockSpeed", Decoding::kMhz),
                                                 Number("DataWidth", Decoding::kBits),
                                                 Number("AddressWidth", Decoding::kBits)})) ||
        !DumpClass(MakeQuery("Win32_Processor", {{"DeviceID"}, Number("Revision")}))) {
      return 0;
    }
    Footer("Processor");
    if (!Dump(SectionsBeforeEnumeration(), product_id)) return 0;

    ClassQuery allocations =
        MakeQuery("Win32_PNPAllocatedResource", {{"Antecedent"}, {"Dependent"}});
    ClassQuery entities = MakeQuery("Win32_PnPEntity", {{"Caption"},
                                                        {"Description"},
                                                        {"Manufacturer"},
                                                        {"DeviceID"},
                                                        {"PNPDeviceID"},
                                                        {"Service"},
                                                        {"Status"}});
    allocations.mode = kModeAllocatedResources;
    entities.mode = kModePnpEntities;
    for (ClassQuery* query : {&allocations, &entities}) {
      query->print = false;
      query->collect = true;
      if (!DumpClass(*query)) return 0;
    }
    log_ << SectionLine("Hardware Enumeration Info", false) << '\n'
         << HardwareEnumeration(state_.collection);
    Footer("Hardware Enumeration Info");
    return Dump(SectionsAfterEnumeration(), product_id) ? 1 : 0;
  }

  bool Dump(const std::vector<Section>& sections, const std::string& product_id) {
    for (const Section& section : sections) {
      log_ << SectionLine(section.title, false) << '\n';
      if (section.extra == Extra::kCaptureMark && inputs_.stored_capture_mode == 1) {
        log_ << "  [VDCaption]\n";
      }
      if (!DumpClass(section.query)) return false;
      if (section.extra == Extra::kProductId) {
        log_ << "  Product ID           = " << product_id << '\n';
      }
      Footer(section.title);
    }
    return true;
  }

  bool DumpClass(const ClassQuery& query) {
    return tunora::DumpClass(platform_, state_.connection, log_, query, state_.collection) != 0;
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

std::string WithTildes(std::string text) {
  text.append(text.size() % 4, '~');
  return text;
}

std::string LogChecksum(std::string_view text) {
  std::uint32_t sum = 0;
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(text[i])));
  };
  // The first group always counts; a text shorter than it reads as zeros.
  for (std::size_t k = 0; k == 0 || k + 4 < text.size(); k += 4) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      if (k + i < text.size()) word += byte(k + i) << (8 * i);
    }
    sum += word;
  }
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", sum);
  return digits;
}

std::string HardwareEnumeration(const PnpCollection& c) {
  std::string out;
  const auto line = [&](std::string_view label, std::string_view value) {
    out.append(label).append(value).append("\n");
  };
  const int entities = std::min(c.entity_count, static_cast<int>(kPnpEntries));
  const int allocations = std::min(c.allocation_count, static_cast<int>(kPnpEntries));
  for (int e = 1; e < entities; ++e) {
    const auto entity = static_cast<std::size_t>(e);
    std::string doubled;
    for (const char ch : c.device_ids[entity]) {
      doubled += ch;
      if (ch == '\\') doubled += '\\';
    }
    bool first = true;
    for (int a = 1; a < allocations; ++a) {
      const std::string& dependent = c.dependents[static_cast<std::size_t>(a)];
      if (dependent.find(doubled) == std::string::npos) continue;
      if (first) {
        first = false;
        out.append(kDeviceRule).append("\n");
        line("  Device        = ", c.descriptions[entity]);
        line("  Manufacturer  = ", c.manufacturers[entity]);
        const struct {
          std::string_view marker, label;
          std::size_t length;
        } ids[] = {{"VEN_", "  VendorID      = ", 4},
                   {"DEV_", "  DeviceID      = ", 4},
                   {"SUBSYS_", "  SubSysID      = ", 8},
                   {"REV_", "  Revision      = ", 2}};
        for (const auto& id : ids) {
          if (dependent.find(id.marker) != std::string::npos) {
            line(id.label, After(dependent, id.marker, id.length));
          }
        }
        if (dependent.find("ISAPNP\\") != std::string::npos) {
          line("  ISA Device ID = ", c.device_ids[entity]);
        }
        if (dependent.find("ACPI\\") != std::string::npos)
          line("  ACPI          = ", "ACPI System Device");
        if (dependent.find("ACPI_HAL\\") != std::string::npos) {
          line("  ACPI          = ", "ACPI System Device");
        }
        if (dependent.find("PCIIDE\\") != std::string::npos)
          line("  IDE           = ", "IDE System Device");
      }
      const std::string& antecedent = c.antecedents[static_cast<std::size_t>(a)];
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
  }
  out.append(kDeviceRule).append("\n");
  return out;
}

void GenerateHardwareLog(const LogInputs& inputs, HardwareLogState& state) {
  Platform& platform = inputs.hw.platform;
  if (state.log_count > 0) {
    platform.ui.MessageBox(kLogAlreadyCreated, kProgramName, kMbOk);
    return;
  }
  platform.files.DeleteFile(kHardwareLogTempPath);
  platform.files.DeleteFile(kHardwareLogPath);
  {
    const WaitCursor wait(platform.ui);
    LogWriter(inputs, state).Write();
  }
  ++state.log_count;

  const std::optional<std::string> temp = platform.files.ReadFile(kHardwareLogTempPath);
  if (!temp) {
    platform.files.DeleteFile(kHardwareLogTempPath);
    platform.ui.MessageBox(kLogFileOpenError, kProgramName, kMbOk);
    return;
  }
  std::string text = WithTildes(*temp);
  text += LogChecksum(text);
  platform.files.WriteFile(kHardwareLogPath, text);
  platform.files.DeleteFile(kHardwareLogTempPath);
  ShowLogDialog(platform, LogCreatedDialog());
}

}  // namespace tunora
