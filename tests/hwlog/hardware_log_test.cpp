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

TEST(LogFormat, HardwareEnumerationMatchesEntitiesToTheirResources) {
  PnpCollection c;
  const auto entity = [&](int i, const char* description, const char* id) {
    c.descriptions[i] = description;
    c.manufacturers[i] = "Maker";
    c.device_ids[i] = id;
  };
  entity(1, "Sound", "PCI\\VEN_1274&DEV_5880&SUBSYS_80011274&REV_02\\3&61AAA01&0&60");
  entity(2, "Nothing allocated", "ROOT\\LEGACY\\0000");
  entity(3, "Game port", "ISAPNP\\PNPB02F\\4");
  c.entity_count = 4;
  const auto allocation = [&](int i, const char* antecedent, const char* entity_id) {
    c.antecedents[i] = antecedent;
    c.dependents[i] =
        std::string("\\\\PC\\root\\cimv2:Win32_PnPEntity.DeviceID=\"") + entity_id + "\"";
  };
  allocation(1, "Win32_IRQResource.IRQNumber=5",
             "PCI\\\\VEN_1274&DEV_5880&SUBSYS_80011274&REV_02\\\\3&61AAA01&0&60");
  allocation(2, "Win32_DeviceMemoryAddress.StartingAddress=\"3758096384\"",
             "PCI\\\\VEN_1274&DEV_5880&SUBSYS_80011274&REV_02\\\\3&61AAA01&0&60");
  allocation(3, "Win32_DMAChannel.DMAChannel=1", "ISAPNP\\\\PNPB02F\\\\4");
  allocation(4, "Win32_IRQResource.IRQNumber=11", "ISAPNP\\\\PNPB02F\\\\4");
  c.allocation_count = 5;
  EXPECT_EQ(HardwareEnumeration(c),
            "  --------------------------------------- \n"
            "  Device        = Sound\n"
            "  Manufacturer  = Maker\n"
            "  VendorID      = 1274\n"
            "  DeviceID      = 5880\n"
            "  SubSysID      = 80011274\n"
            "  Revision      = 02\n"
            "  IRQ           = 5\n"
            "  Address       = 3758096384\n"
            "  --------------------------------------- \n"
            "  Device        = Game port\n"
            "  Manufacturer  = Maker\n"
            "  ISA Device ID = ISAPNP\\PNPB02F\\4\n"
            "  DMA           = 1\n"
            "  IRQ           = 11\n"
            "  --------------------------------------- \n");
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
    int result;
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
  const std::vector<Case> cases = {
      {"two instances", {cpu, cpu}, query, kSOk, {}, 1, lines + lines},
      {"no instances", {}, query, kSOk, {}, 1, ""},
      {"a property the class lacks",
       {{{"Name", Text("CPU")}}},
       query,
       kSOk,
       {},
       0,
       "  Name                 = CPU\r\nScan Error\r\n"},
      {"a class that does not exist",
       {},
       query,
       kWbemEInvalidClass,
       {},
       0,
       "Class does not exist\r\nCreateInstanceEnum() failed: 0x80041010\r\nDCOM error"},
      {"not found",
       {},
       query,
       kWbemENotFound,
       {},
       0,
       "CreateInstanceEnum() failed: 0x80041002\r\nNot Found error"},
      {"a time-out delivers nothing",
       {cpu, cpu},
       query,
       kSOk,
       {2, kWbemSTimedOut},
       1,
       lines + "TimeOut occurred before obtaining all objects\r\n"},
      {"an enumeration made invalid",
       {cpu, cpu},
       query,
       kSOk,
       {2, kWbemEUnexpected},
       1,
       lines + "Deleted Object -- Enum validity Destroyed\r\nUnspecified problem\r\n"},
      {"another fetch error", {cpu}, query, kSOk, {1, kWbemEFailed}, 1, "Unspecified problem\r\n"},
  };
  for (const Case& c : cases) {
    LogBench bench;
    bench.wmi.classes["C"] = c.instances;
    if (c.start_failure != kSOk) bench.wmi.start_failures["C"] = c.start_failure;
    if (c.fetch_failure.first != 0) bench.wmi.fetch_failures["C"] = c.fetch_failure;
    LogText log;
    WmiConnection connection;
    ASSERT_EQ(OpenWmiConnection(bench.hw.platform, connection, log), 1);
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
  ClassQuery q =
      MakeQuery("Win32_PnPEntity", {{"Caption"}, {"Description"}, {"Manufacturer"}, {"DeviceID"}});
  q.slots[0] = {};
  q.mode = kModePnpEntities;
  q.print = false;
  q.collect = true;
  LogText log;
  WmiConnection connection;
  ASSERT_EQ(OpenWmiConnection(bench.hw.platform, connection, log), 1);
  EXPECT_EQ(DumpClass(bench.hw.platform, connection, log, q, bench.state.collection), 1);
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
  GenerateHardwareLog({bench.hw, true, 1}, bench.state);
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

  GenerateHardwareLog({bench.hw, true, 1}, bench.state);
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, kLogAlreadyCreated);
}

TEST(HardwareLog, WithoutWmiThePartialLogIsStillWritten) {
  LogBench bench;
  bench.wmi.locator_fails = true;
  GenerateHardwareLog({bench.hw, true, 0}, bench.state);
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
  GenerateHardwareLog({bench.hw, true, 0}, bench.state);
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
