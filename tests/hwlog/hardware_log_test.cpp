// The hardware log: its pure rules as tables, the class dump against a
// small in-memory instrumentation service, and whole logs on a simulated
// PC whose service is that fake.
#include "hwlog/hardware_log.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "resources/dialogs.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

using Instance = std::map<std::string, WmiValue>;

WmiValue Text(std::string text) { return {WmiType::kText, std::move(text)}; }
WmiValue Int(std::int32_t n) { return {WmiType::kInt32, {}, n}; }
WmiValue Bool(bool b) { return {WmiType::kBool, {}, 0, b}; }

// Classes of instances in order; a class not listed does not exist.
class FakeWmi : public Wmi {
 public:
  std::map<std::string, std::vector<Instance>> classes;
  bool locator_fails = false;
  std::map<std::string, HResult> start_failures;
  // A class's fetch number (from 1) that returns this instead.
  std::map<std::string, std::pair<int, HResult>> fetch_failures;
  int open_handles = 0;
  std::set<std::int32_t> enum_flags;  // every flag set an enumeration asked for

  HResult Initialize() override { return kSOk; }
  void Uninitialize() override {}
  HResult InitializeSecurity(std::uint32_t, std::uint32_t) override { return kSOk; }
  HResult CreateLocator(WmiHandle* locator) override {
    if (locator_fails) return kEOutOfMemory;
    *locator = NewHandle();
    return kSOk;
  }
  HResult ConnectServer(WmiHandle, std::string_view, WmiHandle* services) override {
    *services = NewHandle();
    return kSOk;
  }
  HResult SetProxyBlanket(WmiHandle, std::uint32_t, std::uint32_t, std::uint32_t) override {
    return kSOk;
  }
  HResult CreateInstanceEnum(WmiHandle, std::string_view name, std::int32_t flags,
                             WmiHandle* enumerator) override {
    enum_flags.insert(flags);
    const std::string key(name);
    if (start_failures.count(key)) return start_failures[key];
    if (!classes.count(key)) return kWbemEInvalidClass;
    *enumerator = NewHandle();
    enumerators_[*enumerator] = {key, 0};
    return kSOk;
  }
  HResult Next(WmiHandle enumerator, std::int32_t, WmiHandle* object,
               std::uint32_t* returned) override {
    auto& [name, position] = enumerators_.at(enumerator);
    *returned = 0;
    if (auto failure = fetch_failures.find(name);
        failure != fetch_failures.end() && failure->second.first == position + 1) {
      ++position;
      return failure->second.second;
    }
    if (position >= static_cast<int>(classes[name].size())) return kSFalse;
    *object = NewHandle();
    objects_[*object] = &classes[name][static_cast<std::size_t>(position++)];
    *returned = 1;
    return kSOk;
  }
  HResult Get(WmiHandle object, std::string_view property, WmiValue* value) override {
    const Instance& instance = *objects_.at(object);
    const auto found = instance.find(std::string(property));
    if (found == instance.end()) return kWbemENotFound;
    *value = found->second;
    return kSOk;
  }
  std::uint32_t Release(WmiHandle) override {
    --open_handles;
    return 0;
  }

 private:
  WmiHandle NewHandle() {
    ++open_handles;
    return ++next_;
  }
  WmiHandle next_ = 0;
  std::map<WmiHandle, std::pair<std::string, int>> enumerators_;
  std::map<WmiHandle, const Instance*> objects_;
};

TEST(LogFormat, TildesAndChecksum) {
  struct Case {
    std::string text;
    std::string tildes;
    const char* checksum;
  };
  const Case cases[] = {
      {"ABCD", "", "44434241"},                            // one group, always taken
      {"ABCDEF", "~~", "44434241"},                        // 8 bytes: the last group is not summed
      {"ABCDEFG", "~~~", "c28a8886"},                      // 10 bytes: "ABCD" + "EFG~"
      {std::string("\x80\0\0\0abcd", 8), "", "ffffff80"},  // bytes are signed
      {std::string("\x01\0\0\0abcd", 8), "", "00000001"},  // zero-padded
  };
  for (const Case& c : cases) {
    const std::string with = WithTildes(c.text);
    EXPECT_EQ(with, c.text + c.tildes) << c.text;
    EXPECT_EQ(LogChecksum(with), c.checksum) << c.text;
    EXPECT_EQ(SealLog(c.text), with + c.checksum) << c.text;
  }
}

TEST(LogFormat, AReceivedLogIsCheckedAgainstItsEnd) {
  struct Case {
    const char* what;
    std::string file;
    bool is_log, same_sum, unchanged;
    int found_tildes, expected_tildes;
  };
  const std::string sealed = SealLog("ABCDEFGHIJ");  // "ABCDEFGHIJ~~" and its sum
  const std::string sum = sealed.substr(sealed.size() - 8);
  const Case cases[] = {
      {"as written", sealed, true, true, true, 2, 2},
      {"an empty log", SealLog(""), true, true, true, 0, 0},
      {"a text ending in tildes", SealLog("ABCD~~"), true, true, true, 2, 2},
      {"a letter changed", "ABCDXFGHIJ~~" + sum, true, false, false, 2, 2},
      {"four letters taken out", "EFGHIJ~~" + sum, true, false, false, 2, 2},
      // The last group is not summed: the tildes tell.
      {"a letter taken out", "ABCDEFGHI~~" + sum, true, true, false, 2, 1},
      {"a tilde taken out", "ABCDEFGHIJ~" + sum, true, true, false, 1, 2},
      {"capitals", "ABCDEFGHIJ~~0000A1B2", false, false, false, 0, 0},
      {"shorter than a checksum", "0a1b2c3", false, false, false, 0, 0},
  };
  for (const Case& c : cases) {
    const LogSealCheck check = CheckLogSeal(c.file);
    EXPECT_EQ(check.is_log, c.is_log) << c.what;
    EXPECT_EQ(check.unchanged(), c.unchanged) << c.what;
    if (!c.is_log) continue;
    EXPECT_EQ(check.found_checksum, c.file.substr(c.file.size() - 8)) << c.what;
    EXPECT_EQ(check.expected_checksum == check.found_checksum, c.same_sum) << c.what;
    EXPECT_EQ(check.found_tildes, c.found_tildes) << c.what;
    EXPECT_EQ(check.expected_tildes, c.expected_tildes) << c.what;
  }
}

TEST(LogFormat, SectionLinesAndCodedValues) {
  EXPECT_EQ(SectionLine("Video BIOS Info", false),
            "[ Video BIOS Info ]-----------------------------------------------");
  EXPECT_EQ(SectionLine("Video BIOS Info", true),
            "[ END Video BIOS Info ]-------------------------------------------");
  EXPECT_EQ(SectionLine("Floppy Drive Info", false).size(), 61u);
  EXPECT_EQ(SectionLine("IDE Controller Info", true).size(), 63u);
  EXPECT_EQ(SectionLine("Processor", true).size(), 66u);

  struct Case {
    std::int32_t value;
    NumberDecoding decoding;
    const char* text;
  };
  const Case cases[] = {
      {0, NumberDecoding::kArchitecture, "x86"},
      {3, NumberDecoding::kArchitecture, "PowerPC"},
      {112, NumberDecoding::kArchitecture, "Ram Disk"},
      {113, NumberDecoding::kArchitecture, "113"},
      {-1, NumberDecoding::kArchitecture, "-1"},
      {3, NumberDecoding::kChemistry, "Lead Acid"},
      {1, NumberDecoding::kChemistry, "Other"},
      {40, NumberDecoding::kChemistry, "40"},
      {450, NumberDecoding::kMhz, "450 MHz"},
      {32, NumberDecoding::kBits, "32 Bits"},
      {-7, NumberDecoding::kNone, "-7"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeNumber(c.value, c.decoding), c.text) << c.value;
}

TEST(LogFormat, TheDeviceIdentifierOfAnAllocation) {
  const struct {
    std::string path;
    std::optional<std::string> id;
  } cases[] = {
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="ROOT\\TEST\\1")", R"(ROOT\TEST\1)"},
      {R"(\\DEV_PC\root\cimv2:Win32_PnPEntity.DeviceID="PCI\\VEN_1234")", R"(PCI\VEN_1234)"},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.deviceid="A\"B\\")", R"(A"B\)"},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="")", ""},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="A\B")", std::nullopt},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="ROOT\\TEST\\1"x)", std::nullopt},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="ROOT\\TEST\\1)", std::nullopt},
      {R"(\\PC\root\cimv2:Win32_PnPEntity.DeviceID="A\)", std::nullopt},
      {R"(\\PC\root\cimv2:Win32_Printer.Name="X")", std::nullopt},
      {R"(ROOT\\TEST\\1)", std::nullopt},
      {R"("X")", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(PathDeviceId(c.path), c.id) << c.path;
}

// Entities and their allocations, as the collecting dumps store them.
struct Entity {
  const char* description;
  std::string id;
};
struct Allocation {
  std::string antecedent;
  std::string entity_id;  // as stored; the path doubles its backslashes
  const char* computer = "PC";
};

PnpCollection Collected(const std::vector<Entity>& entities,
                        const std::vector<Allocation>& allocations) {
  PnpCollection c;
  std::size_t i = 0;
  for (const Entity& e : entities) {
    c.descriptions[++i] = e.description;
    c.manufacturers[i] = "Maker";
    c.device_ids[i] = e.id;
  }
  c.entity_count = static_cast<int>(i + 1);
  i = 0;
  for (const Allocation& a : allocations) {
    std::string doubled;
    for (const char ch : a.entity_id) doubled += ch == '\\' ? "\\\\" : std::string(1, ch);
    c.antecedents[++i] = "\\\\" + std::string(a.computer) + "\\root\\cimv2:" + a.antecedent;
    c.dependents[i] = "\\\\" + std::string(a.computer) +
                      "\\root\\cimv2:Win32_PnPEntity.DeviceID=\"" + doubled + "\"";
  }
  c.allocation_count = static_cast<int>(i + 1);
  return c;
}

TEST(LogFormat, HardwareEnumerationTakesFactsFromTheWholeIdentifier) {
  const std::string sound = "PCI\\VEN_1274&DEV_5880&SUBSYS_80011274&REV_02\\3&61AAA01&0&60";
  const std::string card = "PCI\\VEN_102B&DEV_0525&SUBSYS_217D102B&REV_00\\4&74C6020&0&0008";
  const std::string rule = "  --------------------------------------- \n";
  const struct {
    const char* what;
    std::vector<Entity> entities;
    std::vector<Allocation> allocations;
    std::string section;
  } cases[] = {
      {"identifier parts, resources in enumeration order, an entity without any",
       {{"Sound", sound},
        {"Nothing allocated", "ROOT\\LEGACY\\0000"},
        {"Game port", "ISAPNP\\PNPB02F\\4"}},
       {{"Win32_IRQResource.IRQNumber=5", sound},
        {"Win32_DeviceMemoryAddress.StartingAddress=\"3758096384\"", sound},
        {"Win32_DMAChannel.DMAChannel=1", "ISAPNP\\PNPB02F\\4"},
        {"Win32_IRQResource.IRQNumber=11", "ISAPNP\\PNPB02F\\4"},
        {"Win32_PortResource.StartingAddress=\"512\"", sound}},
       rule +
           "  Device        = Sound\n  Manufacturer  = Maker\n  VendorID      = 1274\n"
           "  DeviceID      = 5880\n  SubSysID      = 80011274\n  Revision      = 02\n"
           "  IRQ           = 5\n  Address       = 3758096384\n  Address       = 512\n" +
           rule +
           "  Device        = Game port\n  Manufacturer  = Maker\n"
           "  ISA Device ID = ISAPNP\\PNPB02F\\4\n  DMA           = 1\n  IRQ           = 11\n" +
           rule},
      {"a computer named DEV_PC",
       {{"Card", card}},
       {{"Win32_IRQResource.IRQNumber=11", card, "DEV_PC"}},
       rule +
           "  Device        = Card\n  Manufacturer  = Maker\n  VendorID      = 102B\n"
           "  DeviceID      = 0525\n  SubSysID      = 217D102B\n  Revision      = 00\n"
           "  IRQ           = 11\n" +
           rule},
      {"a computer named STEVEN_PC",
       {{"Timer", "ACPI\\PNP0100\\4&1A2B3C4D&0"}},
       {{"Win32_IRQResource.IRQNumber=0", "ACPI\\PNP0100\\4&1A2B3C4D&0", "STEVEN_PC"}},
       rule +
           "  Device        = Timer\n  Manufacturer  = Maker\n"
           "  ACPI          = ACPI System Device\n  IRQ           = 0\n" +
           rule},
      {"identifiers that begin alike",
       {{"One", "ROOT\\TEST\\1"}, {"Ten", "ROOT\\TEST\\10"}, {"Hundred", "ROOT\\TEST\\100"}},
       {{"Win32_IRQResource.IRQNumber=10", "ROOT\\TEST\\10"},
        {"Win32_IRQResource.IRQNumber=12", "ROOT\\TEST\\100"},
        {"Win32_IRQResource.IRQNumber=3", "ROOT\\TEST\\1"}},
       rule + "  Device        = One\n  Manufacturer  = Maker\n  IRQ           = 3\n" + rule +
           "  Device        = Ten\n  Manufacturer  = Maker\n  IRQ           = 10\n" + rule +
           "  Device        = Hundred\n  Manufacturer  = Maker\n  IRQ           = 12\n" + rule},
      {"the HAL, IDE channels, and IRQ numbers before a closing quote",
       {{"HAL", "ACPI_HAL\\PNP0C08\\0"}, {"Channel", "PCIIDE\\IDECHANNEL\\4&1A2B3C4D&0&0"}},
       {{"Win32_IRQResource.IRQNumber=5\"", "ACPI_HAL\\PNP0C08\\0"},
        {"Win32_IRQResource.IRQNumber=14\"", "PCIIDE\\IDECHANNEL\\4&1A2B3C4D&0&0"}},
       rule +
           "  Device        = HAL\n  Manufacturer  = Maker\n"
           "  ACPI          = ACPI System Device\n  IRQ           = 5\n" +
           rule +
           "  Device        = Channel\n  Manufacturer  = Maker\n"
           "  IDE           = IDE System Device\n  IRQ           = 14\n" +
           rule},
      {"control characters in what is printed",
       {{"Sound\r\n  IRQ           = 3", std::string("ISAPNP\\X\0\n", 10)}},
       {{"Win32_IRQResource.IRQNumber=7", std::string("ISAPNP\\X\0\n", 10)}},
       rule +
           "  Device        = Sound??  IRQ           = 3\n  Manufacturer  = Maker\n"
           "  ISA Device ID = ISAPNP\\X??\n  IRQ           = 7\n" +
           rule},
      {"nothing collected", {}, {}, rule},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HardwareEnumeration(Collected(c.entities, c.allocations)), c.section) << c.what;
  }
}

// One run of tunora's platform on a simulated PC, with the fake service.
class LogBench {
 public:
  LogBench()
      : machine_("win2000-qx2max"),
        opened_(machine_.Open()),
        process_(*opened_, ui),
        platform_(Swap(process_.platform())),
        hw{platform_, TunoraDrivers()} {}

  std::optional<std::string> File(std::string_view path) { return platform_.files.ReadFile(path); }

  FakeUi ui;
  FakeWmi wmi;

 private:
  Platform Swap(Platform& p) {
    return {p.registry, p.devices, p.ports, p.memory, p.files, p.system, p.ui, wmi};
  }
  TestMachine machine_;
  std::unique_ptr<sim::Machine> opened_;
  sim::SimProcess process_;
  Platform platform_;

 public:
  HwContext hw;
  HardwareLogState state;
};

TEST(DumpClass, LinesKindsAndFailures) {
  struct Case {
    const char* what;
    std::vector<Instance> instances;
    ClassQuery query;
    HResult start_failure;
    std::pair<int, HResult> fetch_failure;
    bool result;
    std::string log;
  };
  const Instance cpu = {{"Name", Text("CPU")},
                        {"CurrentClockSpeed", Int(733)},
                        {"PowerManagementSupported", Bool(true)},
                        {"Caption", {}}};
  const ClassQuery query =
      MakeQuery("C", {{"Name"},
                      {"CurrentClockSpeed", PropertyKind::kNumber, NumberDecoding::kMhz},
                      {"PowerManagementSupported", PropertyKind::kBoolean},
                      {"Caption"}});
  const std::string lines =
      "  Name                 = CPU\r\n  CurrentClockSpeed    = 733 MHz\r\n"
      "  PowerManagementSupported = TRUE\r\n  Caption              = \r\n";
  const Instance nulls = {{"Name", {}},
                          {"CurrentClockSpeed", {}},
                          {"PowerManagementSupported", {}},
                          {"Caption", Int(7)}};
  const Instance odd = {{"Name", Text(std::string("V2.4\0X\r\nINJ", 11))},
                        {"CurrentClockSpeed", Text("fast")},
                        {"PowerManagementSupported", Int(1)},
                        {"Caption", Text(std::string(kLogValueLimit + 1, 'x'))}};
  const std::vector<Case> cases = {
      {"two instances", {cpu, cpu}, query, kSOk, {}, true, lines + lines},
      {"no instances", {}, query, kSOk, {}, true, ""},
      {"nulls print nothing, whatever the kind",
       {nulls},
       query,
       kSOk,
       {},
       true,
       "  Name                 = \r\n  CurrentClockSpeed    = \r\n"
       "  PowerManagementSupported = \r\n  Caption              = 7\r\n"},
      {"values of another kind, control characters, a value too long",
       {odd},
       query,
       kSOk,
       {},
       true,
       "  Name                 = V2.4?X??INJ\r\n  CurrentClockSpeed    = fast\r\n"
       "  PowerManagementSupported = 1\r\n  Caption              = " +
           std::string(kLogValueLimit, 'x') + " ... (1025 characters)\r\n"},
      {"a property the class lacks",
       {{{"Name", Text("CPU")}}},
       query,
       kSOk,
       {},
       false,
       "  Name                 = CPU\r\nScan Error\r\n"},
      {"a class that does not exist",
       {},
       query,
       kWbemEInvalidClass,
       {},
       false,
       "Class does not exist\r\nCreateInstanceEnum() failed: 0x80041010\r\nDCOM error"},
      {"not found",
       {},
       query,
       kWbemENotFound,
       {},
       false,
       "CreateInstanceEnum() failed: 0x80041002\r\nNot Found error"},
      {"a time-out delivers nothing",
       {cpu, cpu},
       query,
       kSOk,
       {2, kWbemSTimedOut},
       true,
       lines + "TimeOut occurred before obtaining all objects\r\n"},
      {"an enumeration made invalid",
       {cpu, cpu},
       query,
       kSOk,
       {2, kWbemEUnexpected},
       true,
       lines + "Deleted Object -- Enum validity Destroyed\r\nUnspecified problem\r\n"},
      {"another fetch error",
       {cpu},
       query,
       kSOk,
       {1, kWbemEFailed},
       true,
       "Unspecified problem\r\n"},
  };
  for (const Case& c : cases) {
    LogBench bench;
    bench.wmi.classes["C"] = c.instances;
    if (c.start_failure != kSOk) bench.wmi.start_failures["C"] = c.start_failure;
    if (c.fetch_failure.first != 0) bench.wmi.fetch_failures["C"] = c.fetch_failure;
    LogText log;
    WmiConnection connection;
    ASSERT_TRUE(OpenWmiConnection(bench.hw.platform, connection, log));
    EXPECT_EQ(DumpClass(bench.hw.platform, connection, log, c.query, bench.state.collection),
              c.result)
        << c.what;
    EXPECT_EQ(log.bytes(), c.log) << c.what;
    const bool dialog = c.start_failure != kSOk;
    EXPECT_EQ(bench.ui.dialogs, dialog ? std::vector<int>{kIddLogFailed} : std::vector<int>{})
        << c.what;
    EXPECT_EQ(bench.wmi.open_handles, 1) << c.what << ": only the services handle stays";
  }
}

TEST(DumpClass, CollectsAtMost299Entries) {
  LogBench bench;
  for (int i = 0; i < 310; ++i) {
    bench.wmi.classes["Win32_PnPEntity"].push_back(
        {{"Description", Text("device " + std::to_string(i + 1))},
         {"Manufacturer", Text("M")},
         {"DeviceID", Text(std::string(300, 'x'))}});
  }
  ClassQuery q = MakeQuery("Win32_PnPEntity", {{}, {"Description"}, {"Manufacturer"}, {"DeviceID"}},
                           QueryMode::kCollectEntities);
  LogText log;
  WmiConnection connection;
  ASSERT_TRUE(OpenWmiConnection(bench.hw.platform, connection, log));
  EXPECT_TRUE(DumpClass(bench.hw.platform, connection, log, q, bench.state.collection));
  const PnpCollection& c = bench.state.collection;
  EXPECT_EQ(c.entity_count, 311);
  EXPECT_EQ(c.descriptions[0], "");
  EXPECT_EQ(c.descriptions[1], "device 1");
  EXPECT_EQ(c.descriptions[299], "device 299");
  EXPECT_EQ(c.device_ids[1].size(), 254u);
  EXPECT_EQ(log.bytes(), "");
}

// Every class the log reads, empty but for one BIOS instance.
void FillEveryClass(FakeWmi& wmi) {
  for (std::string_view name : LoggedClasses()) wmi.classes[std::string(name)] = {};
  wmi.classes["Win32_BIOS"] = {{{"Caption", Text("Board BIOS")},
                                {"Description", Text("d")},
                                {"BuildNumber", Text("")},
                                {"Manufacturer", Text("Board maker")},
                                {"Name", Text("n")},
                                {"ReleaseDate", Text("20000101")},
                                {"Version", Text("v")}}};
}

TEST(HardwareLog, WholeLogOnceAndItsEnding) {
  LogBench bench;
  FillEveryClass(bench.wmi);
  GenerateHardwareLog({bench.hw, 1}, bench.state);
  const std::optional<std::string> file = bench.File(kHardwareLogPath);
  ASSERT_TRUE(file.has_value());
  EXPECT_FALSE(bench.File(kHardwareLogTempPath).has_value());
  // Forward-only, return immediately, shallow.
  EXPECT_EQ(bench.wmi.enum_flags, (std::set<std::int32_t>{0x31}));
  EXPECT_EQ(file->rfind("[ Video BIOS Info ]-----------------------------------------------\r\n"
                        "  Bios Revision        = V2.4.015\r\n"
                        "[ END Video BIOS Info ]-------------------------------------------\r\n"
                        "\r\n"
                        "[ BIOS Info ]-----------------------------------------------------\r\n"
                        "  Caption              = Board BIOS\r\n",
                        0),
            0u)
      << *file;
  EXPECT_NE(file->find(SectionLine("MotherBoard", false) + "\r\n  [VDCaption]\r\n" +
                       SectionLine("MotherBoard", true)),
            std::string::npos);
  EXPECT_NE(file->find(SectionLine("Battery", false) + "\r\n" + SectionLine("Battery", true)),
            std::string::npos);
  EXPECT_NE(file->find("\r\n  Product ID           = "), std::string::npos);
  // The body, the tildes its length calls for, and the checksum last.
  const std::string end = SectionLine("Video Configuration Info", true) + "\r\n\r\n";
  const std::size_t body = file->find(end);
  ASSERT_NE(body, std::string::npos);
  const std::size_t tildes = (body + end.size()) % 4;
  EXPECT_EQ(file->size(), body + end.size() + tildes + 8);
  EXPECT_EQ(file->substr(body + end.size(), tildes), std::string(tildes, '~'));
  EXPECT_EQ(file->substr(file->size() - 8), LogChecksum(file->substr(0, file->size() - 8)));
  EXPECT_EQ(bench.ui.dialogs, std::vector<int>{kIddLogCreated});
  EXPECT_EQ(bench.ui.wait_cursor_depth, 0);

  GenerateHardwareLog({bench.hw, 1}, bench.state);
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, kLogAlreadyCreated);
}

TEST(HardwareLog, WithoutWmiThePartialLogIsStillWritten) {
  LogBench bench;
  bench.wmi.locator_fails = true;
  GenerateHardwareLog({bench.hw, 0}, bench.state);
  const std::optional<std::string> file = bench.File(kHardwareLogPath);
  ASSERT_TRUE(file.has_value());
  EXPECT_EQ(file->rfind("Failed to create IWbemLocator object\r\n\r\nThis error appears", 0), 0u);
  EXPECT_NE(file->find("'Miscellaneous Tab' for more information.\r\n\r\n"), std::string::npos);
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text,
            "Failed to create IWbemLocator object\n\nVerify c:\\hardware.txt for more information");
  EXPECT_EQ(bench.ui.dialogs, (std::vector<int>{kIddLogFailed, kIddLogCreated}));
}

TEST(HardwareLog, AFailingClassEndsTheLogThere) {
  LogBench bench;
  FillEveryClass(bench.wmi);
  bench.wmi.classes.erase("Win32_Fan");
  GenerateHardwareLog({bench.hw, 0}, bench.state);
  const std::optional<std::string> file = bench.File(kHardwareLogPath);
  ASSERT_TRUE(file.has_value());
  EXPECT_NE(file->find(SectionLine("Fan Info", false) +
                       "\r\n"
                       "Class does not exist\r\nCreateInstanceEnum() failed: 0x80041010\r\n"
                       "DCOM error"),
            std::string::npos);
  EXPECT_EQ(file->find("[ END Fan Info ]"), std::string::npos);
  EXPECT_EQ(bench.ui.dialogs, (std::vector<int>{kIddLogFailed, kIddLogCreated}));
}

}  // namespace
}  // namespace tunora::testing
