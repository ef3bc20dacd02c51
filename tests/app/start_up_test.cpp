// Start-up: the platform gate, the driver-version reader, and whole runs
// of tunora on simulated machines up to and out of the main window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/app_windows.h"
#include "app/driver_version.h"
#include "app/platform_gate.h"
#include "automation/ui_script.h"
#include "automation/window_model.h"
#include "resources/dialogs.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/registry_fixture.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

// ---- the platform gate --------------------------------------------------------

struct PlatformCase {
  std::uint32_t platform_id, major, minor;
  PlatformVerdict verdict;
  PlatformKind kind;
  const char* name;
};

const PlatformCase kPlatformCases[] = {
    {1, 4, 0, PlatformVerdict::kWindows95, kPlatformUnclassified, ""},
    {1, 4, 3, PlatformVerdict::kWindows95, kPlatformUnclassified, ""},
    {1, 4, 9, PlatformVerdict::kWindows95, kPlatformUnclassified, ""},
    {1, 4, 10, PlatformVerdict::kSupported, kPlatform9x, "Windows 98"},
    {1, 4, 11, PlatformVerdict::kSupported, kPlatform9x, "Windows ME"},
    {1, 4, 90, PlatformVerdict::kSupported, kPlatform9x, "Windows ME"},
    {2, 3, 51, PlatformVerdict::kSupported, kPlatformNt4, "Windows NT"},
    {2, 4, 0, PlatformVerdict::kSupported, kPlatformNt4, "Windows NT"},
    {2, 5, 0, PlatformVerdict::kSupported, kPlatformWin2kXp, "Windows 2000"},
    {2, 5, 1, PlatformVerdict::kSupported, kPlatformWin2kXp, "Windows XP"},
    {2, 6, 0, PlatformVerdict::kSupported, kPlatformNt4, "Windows NT"},
    {2, 6, 1, PlatformVerdict::kSupported, kPlatformNt4, "Windows NT"},
    // NT 5.2 and later minors are never classified; this program refuses
    // them like an unrecognised platform.
    {2, 5, 2, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
    {2, 5, 3, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
    {0, 3, 10, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
    {0, 4, 10, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
    {3, 4, 0, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
    {3, 5, 0, PlatformVerdict::kUnrecognised, kPlatformUnclassified, ""},
};

TEST(PlatformGate, ClassifiesEveryVersion) {
  for (const PlatformCase& c : kPlatformCases) {
    SCOPED_TRACE(::testing::Message()
                 << "platform " << c.platform_id << " version " << c.major << "." << c.minor);
    OsVersion version;
    version.platform_id = c.platform_id;
    version.major = c.major;
    version.minor = c.minor;
    const PlatformClass result = ClassifyPlatform(version);
    EXPECT_EQ(result.verdict, c.verdict);
    EXPECT_EQ(result.kind, c.kind);
    EXPECT_EQ(result.name, c.name);
  }
}

// ---- "PackageVer" ------------------------------------------------------------------

TEST(PackageVersion, MajorFromTheFirstCharacterMinorFromTheThirdAndFourth) {
  struct Case {
    std::string text;
    int major, minor;
  };
  const Case cases[] = {
      {"5.52.011", 5, 52},
      {"5.70", 5, 70},
      {"6.10.005", 6, 10},
      {"4.51.013", 4, 51},
      {"5.5", 5, 5},
      {"5", 5, 0},
      {"5.", 5, 0},
      {"", 0, 0},
      {"x.52", 0, 52},
      {"5.x2", 5, 0},
      {"5.5x", 5, 5},
      {"abcd", 0, 0},
      {"9.99.999", 9, 99},
      {std::string("5.5\0\0", 5), 5, 5},
      // A digit in the fifth place is not part of the minor number.
      {"5.521", 5, 52},
      {"6.1059", 6, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.text + "\"");
    // An exactly sized heap copy: a read past the end is caught.
    auto bytes = std::make_unique<char[]>(c.text.size() + 1);
    std::memcpy(bytes.get(), c.text.data(), c.text.size());
    const tunora::DriverVersion version =
        ParsePackageVersion(std::string_view(bytes.get(), c.text.size()));
    EXPECT_EQ(version.major, c.major);
    EXPECT_EQ(version.minor, c.minor);
  }
}

// The reader over a registry of the test's own, on an NT machine.
class DriverVersion : public ::testing::Test {
 protected:
  tunora::DriverVersion Read(const std::string& regedit4) {
    registry_ = MakeRegistry("REGEDIT4\n" + regedit4);
    sim::SimProcess process(machine_, ui);
    Platform& base = process.platform();
    Platform platform{*registry_, base.devices, base.ports, base.memory,
                      base.files, base.system,  ui,         base.wmi};
    return ReadDriverVersion(platform);
  }

  static std::string Service(const std::string& name) {
    return "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + name + "]\n";
  }
  static std::string Device(const std::string& service, const std::string& sub_key,
                            const std::string& version) {
    return "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\" + service + "\\" +
           sub_key + "]\n\"PackageVer\"=\"" + version + "\"\n";
  }

  TestMachine test_machine_{"win2000-qx2max"};
  sim::Machine machine_{test_machine_.dir()};
  std::unique_ptr<sim::SimRegistry> registry_;
  FakeUi ui;
};

TEST_F(DriverVersion, ReadsDeviceZeroOfTheFirstServiceThatOpens) {
  struct Case {
    const char* what;
    std::string regedit4;
    int major, minor;
    bool reported;  // with "Error2: Unable to find driver version"
  };
  const FakeUi::Message no_version{"Error2: Unable to find driver version", "tunora", kMbOk};
  const Case cases[] = {
      {"device zero of the QX2 service",
       Service("QX2") + Device("QX2", "Device0", "5.52.011") + Service("Tcpip"), 5, 52, false},
      {"only sub-keys beginning with Device0 count",
       Service("QX2") + Device("QX2", "Device0", "5.52.011") +
           Device("QX2", "Device1", "6.10.005") + Device("QX2", "Settings", "6.20.005"),
       5, 52, false},
      {"a later matching sub-key overrides",
       Service("QX2") + Device("QX2", "Device0", "5.52.011") +
           Device("QX2", "Device0x", "6.10.005"),
       6, 10, false},
      {"the first service that opens wins even without a version",
       Service("QX1") + Service("QX2") + Device("QX2", "Device0", "5.52.011"), 0, 0, false},
      {"a device key without PackageVer",
       Service("QX2") + Service("QX2\\Device0") + "\"Other\"=\"5.52.011\"\n", 0, 0, false},
      {"no service key: reported, zero",
       Service("Tcpip") + Service("QX4") + Device("QX4", "Device0", "5.52.011"), 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui.messages.clear();
    const tunora::DriverVersion v = Read(c.regedit4);
    EXPECT_EQ(v.major, c.major);
    EXPECT_EQ(v.minor, c.minor);
    EXPECT_EQ(ui.messages, c.reported ? std::vector{no_version} : std::vector<FakeUi::Message>{});
  }
}

TEST_F(DriverVersion, AtMostSixteenSubKeysAreLookedAt) {
  // Sub-keys enumerate in name order: "A.." first, then "Device0", then
  // "Device0z".
  const auto with_fillers = [](int fillers) {
    std::string text = DriverVersion::Service("QX2");
    for (int i = 0; i < fillers; ++i) {
      text += DriverVersion::Device("QX2", "A" + std::to_string(10 + i), "9.99.999");
    }
    return text + DriverVersion::Device("QX2", "Device0", "5.52.011") +
           DriverVersion::Device("QX2", "Device0z", "6.10.005");
  };
  // Seventeen sub-keys: "Device0z" is the seventeenth.
  tunora::DriverVersion v = Read(with_fillers(15));
  EXPECT_EQ(v.major, 5);
  EXPECT_EQ(v.minor, 52);
  // Sixteen: it is the last one looked at.
  v = Read(with_fillers(14));
  EXPECT_EQ(v.major, 6);
  EXPECT_EQ(v.minor, 10);
}

TEST_F(DriverVersion, FirstServiceKeyThatOpensInTheFixedOrder) {
  struct Case {
    std::vector<std::string> services;  // present, each with its own version
    int expected_major;
  };
  const std::vector<std::string> order = {"QX1", "QX2", "QX2DUO", "QX3DUO", "qxg64"};
  const Case cases[] = {
      {{"QX1", "QX2"}, 1},      {{"QX2", "QX2DUO"}, 2}, {{"QX2DUO", "QX3DUO"}, 3},
      {{"QX3DUO", "qxg64"}, 4}, {{"qxg64"}, 5},         {{"QX2DUO", "qxg64", "QX1"}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.services.front());
    std::string text;
    for (const std::string& service : c.services) {
      const auto position = std::find(order.begin(), order.end(), service) - order.begin();
      text +=
          Service(service) + Device(service, "Device0", std::to_string(position + 1) + ".60.001");
    }
    const tunora::DriverVersion v = Read(text);
    EXPECT_EQ(v.major, c.expected_major);
    EXPECT_EQ(v.minor, 60);
  }
  EXPECT_TRUE(ui.messages.empty());
}

// ---- the main window on its own ------------------------------------------------------

class MainWindowInit : public ::testing::Test {
 protected:
  sim::WindowModel Init(CardCode code) {
    app.state.card.card_code = code;
    MainWindow handler(app, "Windows 2000");
    sim::WindowModel window(MainDialog());
    handler.OnInit(window);
    return window;
  }

  TestMachine test_machine{"win2000-qx2max"};
  sim::Machine machine{test_machine.dir()};
  FakeUi ui;
  sim::SimProcess process{machine, ui};
  App app{process.platform()};
};

TEST_F(MainWindowInit, NamesTheCardAndSetsTheFamily) {
  const sim::WindowModel window = Init(405);
  EXPECT_EQ(window.Find(kIdcCardName)->text, "Quillex Solace QX2 DUO MAX");
  EXPECT_EQ(window.Find(kIdcPlatform)->text, "Windows 2000");
  EXPECT_EQ(app.state.chip_family, 400);
  const sim::WindowModel farview = Init(470);
  EXPECT_EQ(farview.Find(kIdcCardName)->text, "Farview II");
  EXPECT_EQ(app.state.chip_family, 452);
}

TEST_F(MainWindowInit, UnidentifiedCardsLeaveTheFamilyAlone) {
  for (CardCode code : {399, 199, 549, 0, 209}) {
    SCOPED_TRACE(code);
    app.state.chip_family = kFamilyUnknown;
    const sim::WindowModel window = Init(code);
    EXPECT_EQ(app.state.chip_family, kFamilyUnknown);
    EXPECT_TRUE(window.Find(kIdcTweak)->enabled);
  }
  EXPECT_EQ(Init(399).Find(kIdcCardName)->text, "QX2 or QX2E ???");
  EXPECT_EQ(Init(209).Find(kIdcCardName)->text, "Unknown Card");
}

TEST_F(MainWindowInit, TweakIsTheFocusedDefaultAndTheAboutEntryIsLast) {
  const sim::WindowModel window = Init(405);
  EXPECT_TRUE(window.Find(kIdcTweak)->enabled);
  EXPECT_EQ(window.default_button(), kIdcTweak);
  EXPECT_EQ(window.focus(), kIdcTweak);
  ASSERT_FALSE(window.system_menu().empty());
  EXPECT_EQ(window.system_menu().back().command, 0x10u);
  EXPECT_EQ(window.system_menu().back().text, "&About Tunora_Util");
}

// ---- whole runs ----------------------------------------------------------------------

std::string Dumped(int id, const std::string& kind, const std::string& text) {
  return "control " + std::to_string(id) + " " + kind + " \"" + text + "\"";
}

bool Contains(const std::string& transcript, const std::string& line) {
  return transcript.find(line) != std::string::npos;
}

ProgramRun RunOn(const sim::Profile& profile, const std::string& script) {
  TestMachine machine(profile);
  return machine.RunTunora(script);
}

constexpr const char* kShowAndExit = "expect window 102\ndump\nclick 1003\n";

sim::PciDeviceSpec& MakersBoard(sim::Profile& profile) {
  for (sim::PciDeviceSpec& device : profile.pci) {
    if (device.vendor_id == 0x102B) return device;
  }
  throw std::runtime_error("profile without the maker's board");
}

struct RoadCase {
  const char* what;
  sim::Profile profile;
  const char* platform_text;
  const char* card_name;
};

std::vector<RoadCase> RoadCases() {
  std::vector<RoadCase> cases;
  cases.push_back(
      {"win2000-qx2max", Builtin("win2000-qx2max"), "Windows 2000", "Quillex Solace QX2 DUO MAX"});
  cases.push_back({"winxp-qx3", Builtin("winxp-qx3"), "Windows XP", "Quillex Solace QX3"});
  cases.push_back({"nt4-qx2", Builtin("nt4-qx2"), "Windows NT", "Quillex Solace QX2"});
  cases.push_back({"win98-qx1", Builtin("win98-qx1"), "Windows 98", "Quillex Vireo QX1"});
  cases.push_back({"winme-qx2e-qtv", Builtin("winme-qx2e-qtv"), "Windows ME", "Quillex QX2E QTV"});

  const auto modified = [&](const char* what, auto change, const char* platform_text,
                            const char* card_name) {
    sim::Profile profile = Builtin(sim::kDefaultProfile);
    change(profile);
    cases.push_back({what, std::move(profile), platform_text, card_name});
  };
  modified(
      "NT 6.0", [](sim::Profile& p) { p.version.major = 6; }, "Windows NT",
      "Quillex Solace QX2 DUO MAX");
  modified(
      "XP with a QX2 of unlisted subsystem",
      [](sim::Profile& p) {
        p.version.minor = 1;
        MakersBoard(p).subsystem_id = 0x1234;
      },
      "Windows XP", "QX2 or QX2E ???");
  modified(
      "ME with a QMS board",
      [](sim::Profile& p) {
        p.version = {kVerPlatformWin32Windows, 4, 90, 3000, " "};
        MakersBoard(p).device_id = 0x0521;
        MakersBoard(p).subsystem_id = 0xDBD8;
      },
      "Windows ME", "Quillex QX1 QMS DUAL PCI");
  modified(
      "2000 with an unlisted QX3",
      [](sim::Profile& p) {
        MakersBoard(p).device_id = 0x2527;
        MakersBoard(p).subsystem_id = 0x0F80;
      },
      "Windows 2000", "QX3 ???");
  modified(
      "98 with a QX1 PCI board on bus 0",
      [](sim::Profile& p) {
        p.version = {kVerPlatformWin32Windows, 4, 10, 2222, " A "};
        MakersBoard(p).bus = 0;
        MakersBoard(p).device = 14;
        MakersBoard(p).device_id = 0x0520;
        MakersBoard(p).subsystem_id = 0xFF04;
      },
      "Windows 98", "Quillex QX1 Parlay PCI");
  return cases;
}

TEST(WholeRun, MainWindowShowsCardAndPlatformOnEveryRoad) {
  for (const RoadCase& c : RoadCases()) {
    SCOPED_TRACE(c.what);
    const ProgramRun run = RunOn(c.profile, kShowAndExit);
    EXPECT_EQ(run.exit_code, 0) << run.errors;
    EXPECT_TRUE(Contains(run.transcript, "window 102 \"Quillex Tunora Tweak Utility\"\n"))
        << run.transcript;
    EXPECT_TRUE(Contains(run.transcript, Dumped(1074, "static", c.card_name) + "\n"))
        << run.transcript;
    EXPECT_TRUE(Contains(run.transcript, Dumped(102, "static", c.platform_text) + "\n"))
        << run.transcript;
    EXPECT_TRUE(Contains(run.transcript, Dumped(1004, "button", "Tweak") + " default focus\n"))
        << run.transcript;
    EXPECT_FALSE(Contains(run.transcript, "message ")) << run.transcript;
    EXPECT_TRUE(run.transcript.ends_with("exit 0\n")) << run.transcript;
  }
}

TEST(WholeRun, MissingDriverVersionIsReportedAndTheRunGoesOn) {
  sim::Profile profile = Builtin(sim::kDefaultProfile);
  // The display driver's service key is gone; everything else stays.
  const std::string marker = "\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\QX2";
  profile.registry = profile.registry.substr(0, profile.registry.find(marker)) + "\n";
  const ProgramRun run =
      RunOn(profile, "expect message \"Error2: Unable to find driver version\"\n" +
                         std::string(kShowAndExit));
  EXPECT_EQ(run.exit_code, 0) << run.transcript << run.errors;
  EXPECT_TRUE(Contains(run.transcript,
                       "message \"Error2: Unable to find driver version\" caption \"tunora\"\n"))
      << run.transcript;
  EXPECT_TRUE(Contains(run.transcript, Dumped(1074, "static", "Quillex Solace QX2 DUO MAX")))
      << run.transcript;
}

TEST(WholeRun, AboutBoxReturnsToTheMainWindow) {
  const ProgramRun run =
      RunOn(Builtin(sim::kDefaultProfile),
            "expect window 102\nsysmenu 16\nexpect window 100\nclick 1\ndump\nclick 1003\n");
  EXPECT_EQ(run.exit_code, 0) << run.transcript << run.errors;
  const auto about = run.transcript.find("window 100 \"About Quillex Tunora Tweak Utility\"\n");
  ASSERT_NE(about, std::string::npos) << run.transcript;
  // The dump after the about box closed is the main window's.
  const auto card = run.transcript.find(Dumped(1074, "static", "Quillex Solace QX2 DUO MAX"));
  ASSERT_NE(card, std::string::npos) << run.transcript;
  EXPECT_GT(card, about);
  EXPECT_TRUE(run.transcript.ends_with("click 1003\nexit 0\n")) << run.transcript;
}

TEST(WholeRun, ExitAndEscapeEndWithZero) {
  for (const char* script :
       {"expect window 102\nclick 1003\n", "expect window 102\nkey escape\n"}) {
    SCOPED_TRACE(script);
    for (const char* profile : {"win2000-qx2max", "win98-qx1"}) {
      const ProgramRun run = RunOn(Builtin(profile), script);
      EXPECT_EQ(run.exit_code, 0) << profile << "\n" << run.transcript << run.errors;
      EXPECT_FALSE(Contains(run.transcript, "message ")) << run.transcript;
      EXPECT_TRUE(run.transcript.ends_with("exit 0\n")) << run.transcript;
    }
  }
}

TEST(WholeRun, NoCardWindowEndsWithZeroWhicheverWayItCloses) {
  sim::Profile ninex = Builtin("win98-qx1");
  ninex.pci.pop_back();  // the maker's board
  for (const sim::Profile& profile : {Builtin("win2000-nocard"), ninex}) {
    for (const char* script :
         {"expect window 151\nclick 1028\n", "expect window 151\nkey escape\n"}) {
      SCOPED_TRACE(profile.name + ": " + script);
      const ProgramRun run = RunOn(profile, script);
      EXPECT_EQ(run.exit_code, 0) << run.transcript << run.errors;
      EXPECT_TRUE(Contains(run.transcript, "window 151 \"Quillex Tunora Tweak Utility\"\n"))
          << run.transcript;
      // Neither the main window nor the driver-version reader comes.
      EXPECT_FALSE(Contains(run.transcript, "window 102")) << run.transcript;
      EXPECT_FALSE(Contains(run.transcript, "message ")) << run.transcript;
    }
  }
}

struct RefusalCase {
  const char* what;
  sim::Profile profile;
  const char* message;
  const char* caption;
  int exit_code;
};

std::vector<RefusalCase> RefusalCases() {
  const char* admin_warning =
      "WARNING!!! You do NOT have administrator priviliges on this machine.\n\nClick OK to Exit!";
  const char* safe_mode = "This utility cannot be used in Windows SafeMode!";
  const char* unknown = "This platfrom is not supported!";
  std::vector<RefusalCase> cases;
  cases.push_back({"Windows 95", Builtin("win95"), "This platform is NOT supported!", "tunora", 1});
  const auto modified = [&](const char* what, auto change, const char* message, const char* caption,
                            int exit_code) {
    sim::Profile profile = Builtin(sim::kDefaultProfile);
    change(profile);
    cases.push_back({what, std::move(profile), message, caption, exit_code});
  };
  modified(
      "platform id 0", [](sim::Profile& p) { p.version.platform_id = 0; }, unknown,
      "TUNORA_UTIL ERROR!!!", 0);
  modified(
      "platform id 3", [](sim::Profile& p) { p.version.platform_id = 3; }, unknown,
      "TUNORA_UTIL ERROR!!!", 0);
  modified(
      "NT 5.2", [](sim::Profile& p) { p.version.minor = 2; }, unknown, "TUNORA_UTIL ERROR!!!", 0);
  cases.push_back({"not an administrator", Builtin("win2000-user"), admin_warning, "tunora", 0});
  modified(
      "NT 4 without administrator rights",
      [](sim::Profile& p) {
        p.version.major = 4;
        p.administrator = false;
      },
      admin_warning, "tunora", 0);
  cases.push_back({"2000 in safe mode", Builtin("win2000-safemode"), safe_mode, "tunora", 0});
  modified(
      "NT 4 in safe mode",
      [](sim::Profile& p) {
        p.version.major = 4;
        p.clean_boot = 1;
      },
      safe_mode, "tunora", 0);
  modified(
      "safe mode without administrator rights: the rights come first",
      [](sim::Profile& p) {
        p.clean_boot = 2;
        p.administrator = false;
      },
      admin_warning, "tunora", 0);
  return cases;
}

TEST(WholeRun, Refusals) {
  for (const RefusalCase& c : RefusalCases()) {
    SCOPED_TRACE(c.what);
    const std::string quoted = sim::QuoteScriptString(c.message);
    const ProgramRun run = RunOn(c.profile, "expect message " + quoted + "\n");
    EXPECT_EQ(run.exit_code, c.exit_code) << run.transcript << run.errors;
    EXPECT_TRUE(Contains(run.transcript, "message " + quoted + " caption " +
                                             sim::QuoteScriptString(c.caption) + "\n"))
        << run.transcript;
    EXPECT_FALSE(Contains(run.transcript, "window ")) << run.transcript;
    EXPECT_TRUE(run.transcript.ends_with("exit " + std::to_string(c.exit_code) + "\n"))
        << run.transcript;
  }
}

TEST(WholeRun, NineXIsNotRefusedForSafeModeOrRights) {
  sim::Profile profile = Builtin("win98-qx1");
  profile.clean_boot = 1;
  profile.administrator = false;
  const ProgramRun run = RunOn(profile, kShowAndExit);
  EXPECT_EQ(run.exit_code, 0) << run.transcript << run.errors;
  EXPECT_TRUE(Contains(run.transcript, Dumped(102, "static", "Windows 98"))) << run.transcript;
  EXPECT_FALSE(Contains(run.transcript, "message ")) << run.transcript;
}

}  // namespace
}  // namespace tunora::testing
