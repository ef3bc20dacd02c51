// Profiles' management instrumentation: what a damaged "wmi" entry is
// told, the built-in machines' inventories as the hardware log reads them,
// and the log-on commands the repository lists.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "sim/machine/wmi_inventory.h"
#include "sim/os/regedit4.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

using nlohmann::json;
using sim::WmiRepositoryFromJson;

TEST(WmiProfile, DamagedEntriesAreRefusedWithThePlaceNamed) {
  const json thing = {{"Win32_Thing", {{{"Caption", "x"}}}}};
  struct Case {
    json wmi;
    const char* message;
  } cases[] = {
      {json::array(), "wmi: expected an object"},
      {{{"clases", thing}}, "wmi: unknown entry \"clases\""},
      {{{"namespace", 5}}, "wmi.namespace: expected a string"},
      {{{"classes", json::array()}}, "wmi.classes: expected an object of classes"},
      {{{"classes", {{"Win32 Thing", json::array()}}}}, "\"Win32 Thing\" is not a name"},
      {{{"classes", {{"Win32_Thing", json::array()}, {"WIN32_THING", json::array()}}}},
       "name one class"},
      {{{"classes", {{"Win32_Thing", json::array({"x"})}}}},
       "wmi.classes.Win32_Thing[0]: expected an object of properties"},
      {{{"classes", {{"Win32_Thing", "x"}}}}, "wmi.classes.Win32_Thing: expected a list"},
      {{{"classes", {{"Win32_Thing", {{{"Speed", 1.5}}}}}}},
       "wmi.classes.Win32_Thing[0].Speed: expected text, a whole number"},
      {{{"classes", {{"Win32_Thing", {{{"Size", 4294967296}}}}}}},
       "wmi.classes.Win32_Thing[0].Size: 4294967296 does not fit 32 bits"},
      {{{"classes", {{"Win32_Thing", {{{"Low", -2147483649}}}}}}}, "does not fit 32 bits"},
      {{{"classes", {{"Win32_Thing", {{{"Name", "a"}, {"NAME", "b"}}}}}}}, "name one property"},
      {{{"faults", {{"locator", 0}}}}, "wmi.faults.locator: must be a failure"},
      {{{"faults", {{"initialize", 1}}}}, "wmi.faults.initialize: must be a failure"},
      {{{"faults", {{"security", "0x00040004"}}}}, "wmi.faults.security: must be a failure"},
      {{{"faults", {{"connect", "banana"}}}}, "wmi.faults.connect: not a number: banana"},
      {{{"faults", {{"timeout", 1}}}}, "wmi.faults: unknown entry \"timeout\""},
      {{{"faults", {{"enumerate", {{"Win32_Thing", "0x00040004"}}}}}},
       "wmi.faults.enumerate.Win32_Thing: must be a failure"},
      {{{"faults", {{"fetch", {{{"class", "Win32_Thing"}, {"result", 1}}}}}}},
       "wmi.faults.fetch[0]: \"class\", \"at\" and \"result\" are required"},
      {{{"faults", {{"fetch", {{{"class", "Win32_Thing"}, {"at", 0}, {"result", 1}}}}}}},
       "wmi.faults.fetch[0].at: fetches count from 1"},
      {{{"faults",
         {{"fetch",
           {{{"class", "Win32_Thing"}, {"at", 1}, {"result", "0x80041008"}, {"object", true}}}}}}},
       "wmi.faults.fetch[0]: a failing fetch delivers no object"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wmi.dump());
    json profile = sim::ProfileToJson(Builtin("win2000-qx2max"));
    profile["wmi"] = c.wmi;
    try {
      sim::ProfileFromJson(profile);
      ADD_FAILURE() << "accepted";
    } catch (const sim::ProfileError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

// What the hardware log reads of each class: "#" a number, "?" a boolean,
// text otherwise. Every instance must answer each with its kind or null.
const std::map<std::string, std::string> kLogReads = {
    {"Win32_BIOS", "Caption Description BuildNumber Manufacturer Name ReleaseDate Version"},
    {"Win32_BaseBoard", "Caption Description Manufacturer Name Model PartNumber Version"},
    {"Win32_Processor",
     "Manufacturer Caption Architecture# Version CurrentClockSpeed# DataWidth# AddressWidth# "
     "DeviceID Revision#"},
    {"Win32_Battery", "Caption Description Chemistry#"},
    {"Win32_1394Controller", "Caption Description Manufacturer"},
    {"Win32_1394ControllerDevice", "Antecedent Dependent"},
    {"Win32_CDROMDrive", "Caption Description Drive Manufacturer RevisionLevel"},
    {"Win32_CodecFile", "Caption Description Group Version"},
    {"Win32_ComputerSystem",
     "Caption Description InfraredSupported? Manufacturer Model NumberOfProcessors# SystemType"},
    {"Win32_DesktopMonitor", "Caption Description MonitorManufacturer MonitorType"},
    {"Win32_DiskDrive", "Caption Description MediaType Model Manufacturer InterfaceType"},
    {"Win32_DisplayConfiguration",
     "Caption Description BitsPerPel# DisplayFrequency# DriverVersion PelsHeight# PelsWidth#"},
    {"Win32_DisplayControllerConfiguration",
     "Caption Description HorizontalResolution# VerticalResolution# VideoMode"},
    {"Win32_Fan", "Caption Description ActiveCooling? VariableSpeed?"},
    {"Win32_FloppyController", "Caption Description Manufacturer Status"},
    {"Win32_FloppyDrive", "Caption Description Manufacturer Status"},
    {"Win32_IDEController", "Caption Description Manufacturer Status"},
    {"Win32_IDEControllerDevice", "Antecedent Dependent"},
    {"Win32_InfraredDevice", "Caption Description Manufacturer Status"},
    {"Win32_KeyBoard", "Caption Description Layout Status"},
    {"Win32_LogicalDisk", "Caption Description FileSystem"},
    {"Win32_NetworkAdapter", "Caption Description AdapterType AutoSense? Manufacturer"},
    {"Win32_OperatingSystem",
     "Caption Description BuildNumber BuildType CountryCode Version Manufacturer Locale "
     "CSDVersion"},
    {"Win32_PageFile", "Caption Description Hidden? InitialSize# MaximumSize# Status"},
    {"Win32_ParallelPort", "Caption Description DMASupport?"},
    {"Win32_PCMCIAController", "Caption Description Manufacturer Status ProtocolSupported#"},
    {"Win32_PhysicalMemory",
     "Caption Description BankLabel DataWidth# DeviceLocator Model MemoryType# Speed# Tag "
     "TypeDetail#"},
    {"Win32_PNPAllocatedResource", "Antecedent Dependent"},
    {"Win32_PnPEntity", "Caption Description Manufacturer DeviceID PNPDeviceID Service Status"},
    {"Win32_PointingDevice", "Caption Description HardwareType Manufacturer"},
    {"Win32_PortableBattery", "Caption Description DeviceID Manufacturer Status"},
    {"Win32_PortConnector",
     "Caption Description ConnectorPinout ExternalReferenceDesignator "
     "InternalReferenceDesignator Manufacturer Model Version Tag Status"},
    {"Win32_POTSModem", "Caption Description DeviceType Model Status"},
    {"Win32_Printer", "Caption Description DriverName PortName SpoolEnabled? Status ServerName"},
    {"Win32_SCSIController",
     "Caption Description DriverName HardwareVersion MaxDataWidth# Manufacturer"},
    {"Win32_SerialPort", "Caption Description Name OSAutoDiscovered? ProviderType Status"},
    {"Win32_SoundDevice", "Caption Description Manufacturer ProductName Name Status"},
    {"Win32_StartupCommand", "Caption Description Command Location Name"},
    {"Win32_TapeDrive", "Caption Description Id Manufacturer name Status"},
    {"Win32_TemperatureProbe", "Caption Description NominalReading# CurrentReading# Status"},
    {"Win32_UninterruptiblePowerSupply", "Caption Description Name Status"},
    {"Win32_USBController", "Caption Description Name Manufacturer Status"},
    {"Win32_USBControllerDevice", "Antecedent Dependent"},
    {"Win32_VideoConfiguration", "Caption Description AdapterType AdapterRAM#"},
};

// Enumerates every class the log reads over the port and reads each of
// its properties; the classes that failed to enumerate, by name.
std::map<std::string, HResult> ReadAsTheLogDoes(const sim::WmiRepository& repository) {
  sim::SimWmi wmi(repository);
  wmi.Initialize();
  WmiHandle locator = kNullWmiHandle, services = kNullWmiHandle;
  EXPECT_EQ(wmi.CreateLocator(&locator), kSOk);
  EXPECT_EQ(wmi.ConnectServer(locator, sim::kCimv2Namespace, &services), kSOk);
  wmi.Release(locator);
  std::map<std::string, HResult> failed;
  for (const auto& [name, reads] : kLogReads) {
    WmiHandle enumerator = kNullWmiHandle, object = kNullWmiHandle;
    const HResult result = wmi.CreateInstanceEnum(services, name, 0x20011, &enumerator);
    if (Failed(result)) failed[name] = result;
    for (std::uint32_t returned = 0; wmi.Next(enumerator, 6000, &object, &returned) == kSOk;) {
      std::istringstream words(reads);
      for (std::string property; words >> property;) {
        const char mark = property.back();
        const WmiType kind = mark == '#'   ? WmiType::kInt32
                             : mark == '?' ? WmiType::kBool
                                           : WmiType::kText;
        if (mark == '#' || mark == '?') property.pop_back();
        WmiValue value;
        EXPECT_EQ(wmi.Get(object, property, &value), kSOk) << name << "." << property;
        EXPECT_TRUE(value.type == kind || value.type == WmiType::kNull) << name << "." << property;
      }
      wmi.Release(object);
    }
    wmi.Release(enumerator);
  }
  wmi.Release(services);
  EXPECT_EQ(wmi.OpenHandles(), 0u);
  return failed;
}

std::string Doubled(const std::string& text) {
  std::string result;
  for (char c : text) result += c == '\\' ? "\\\\" : std::string(1, c);
  return result;
}

std::string Text(const sim::WmiInstance& instance, const char* property) {
  for (const sim::WmiProperty& p : instance) {
    if (p.name == property) return p.value.type == WmiType::kText ? p.value.text : "";
  }
  return "";
}

const sim::WmiClass& Class(const sim::WmiRepository& repository, const char* name) {
  for (const sim::WmiClass& c : repository.classes) {
    if (c.name == name) return c;
  }
  throw std::runtime_error(std::string("no class ") + name);
}

TEST(WmiProfile, BuiltinInventoriesServeTheLogAndListEveryPciDevice) {
  for (const std::string& name : sim::BuiltinProfileNames()) {
    SCOPED_TRACE(name);
    const sim::Profile profile = Builtin(name);
    EXPECT_EQ(sim::ProfileFromJson(sim::ProfileToJson(profile)).wmi, profile.wmi);
    const sim::WmiRepository repository = WmiRepositoryFromJson(profile.wmi);
    if (name == "win98-nowmi") {
      EXPECT_EQ(repository.locator_result, sim::kRegDbEClassNotReg);
      continue;
    }
    const std::map<std::string, HResult> missing =
        name == "win2000-brokenwmi"
            ? std::map<std::string, HResult>{{"Win32_CodecFile", kWbemEInvalidClass}}
            : std::map<std::string, HResult>{};
    EXPECT_EQ(ReadAsTheLogDoes(repository), missing);
    EXPECT_TRUE(Class(repository, "Win32_Battery").instances.empty());
    EXPECT_TRUE(Class(repository, "Win32_TapeDrive").instances.empty());

    const sim::WmiInstance& os = Class(repository, "Win32_OperatingSystem").instances.at(0);
    EXPECT_EQ(Text(os, "Version"), std::to_string(profile.version.major) + "." +
                                       std::to_string(profile.version.minor) + "." +
                                       std::to_string(profile.version.build));
    EXPECT_EQ(Text(os, "CSDVersion"), profile.version.csd);

    const auto& entities = Class(repository, "Win32_PnPEntity").instances;
    const auto& allocations = Class(repository, "Win32_PNPAllocatedResource").instances;
    for (const sim::PciDeviceSpec& device : profile.pci) {
      SCOPED_TRACE(device.name);
      char prefix[64];
      std::snprintf(prefix, sizeof prefix, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%04X%04X&REV_",
                    device.vendor_id, device.device_id, device.subsystem_id,
                    device.subsystem_vendor);
      int matches = 0, resources = 0;
      for (const sim::WmiInstance& entity : entities) {
        const std::string id = Text(entity, "DeviceID");
        if (id.rfind(prefix, 0) != 0) continue;
        ++matches;
        for (const sim::WmiInstance& allocation : allocations) {
          resources += Text(allocation, "Dependent").find(Doubled(id)) != std::string::npos;
        }
      }
      EXPECT_EQ(matches, 1);
      EXPECT_GT(resources, 0);
    }
    // Every allocation names an entity of the machine.
    for (const sim::WmiInstance& allocation : allocations) {
      const std::string dependent = Text(allocation, "Dependent");
      EXPECT_TRUE(std::any_of(entities.begin(), entities.end(), [&](const sim::WmiInstance& e) {
        return dependent.ends_with("\"" + Doubled(Text(e, "DeviceID")) + "\"");
      })) << dependent;
    }
  }
}

TEST(WmiProfile, TheRegistrysLogOnCommandsAreStartupCommands) {
  const sim::Hive registry = sim::ParseRegedit4(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
      "\"LOCKSTEPEXE\"=\"C:\\\\WINNT\\\\Lockstep.exe\"\n\"Flags\"=dword:00000001\n");
  const sim::WmiRepository listed = sim::MachineWmiRepository(Builtin("win2000-qx2max"), registry);
  const auto& commands = Class(listed, "Win32_StartupCommand").instances;
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(Text(commands[0], "Name"), "LOCKSTEPEXE");
  EXPECT_EQ(Text(commands[0], "Command"), "C:\\WINNT\\Lockstep.exe");
  EXPECT_EQ(Text(commands[0], "Location"),
            "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
  // A repository without the class gains none.
  EXPECT_TRUE(sim::MachineWmiRepository(Builtin("win98-nowmi"), registry).classes.empty());
}

}  // namespace
}  // namespace tunora::testing
