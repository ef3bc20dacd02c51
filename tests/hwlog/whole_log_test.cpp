// Whole hardware logs on built-in machines with their own instrumentation
// repositories: the expected files byte for byte, every failure text of
// the query engine through the profile's fault switches, and a final file
// that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>

#include "hwlog/hardware_log.h"
#include "resources/dialogs.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/golden.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

constexpr const char* kNtMachine = "win2000-qx2max";

struct LogRun {
  std::optional<std::string> file;
  bool temp_left = false;
  std::vector<std::string> messages;
  std::vector<int> dialogs;
};

// One press of the button on a fresh machine of this profile.
LogRun PressOnce(const sim::Profile& profile,
                 const std::function<void(const TestMachine&)>& prepare = {}, int presses = 1) {
  TestMachine machine(profile);
  if (prepare) prepare(machine);
  const std::unique_ptr<sim::Machine> pc = machine.Open();
  FakeUi ui;
  sim::SimProcess process(*pc, ui);
  HwContext hw{process.platform(), TunoraDrivers()};
  hw.road = RoadOf(*pc);
  HardwareLogState state;
  for (int i = 0; i < presses; ++i) GenerateHardwareLog({hw, 0}, state);
  LogRun run;
  run.file = process.platform().files.ReadFile(kHardwareLogPath);
  run.temp_left = process.platform().files.FileExists(kHardwareLogTempPath);
  for (const FakeUi::Message& m : ui.messages) run.messages.push_back(m.text);
  run.dialogs = ui.dialogs;
  return run;
}

TEST(WholeLog, BuiltInMachinesWriteTheExpectedFiles) {
  for (const char* profile : {"win98-qx1", kNtMachine}) {
    const LogRun run = PressOnce(Builtin(profile));
    ASSERT_TRUE(run.file.has_value()) << profile;
    EXPECT_TRUE(SameBytes(*run.file, GoldenLog(profile))) << profile;
    EXPECT_TRUE(CheckLogSeal(*run.file).unchanged()) << profile;
    EXPECT_EQ(run.dialogs, std::vector<int>{kIddLogCreated}) << profile;
    EXPECT_FALSE(run.temp_left) << profile;
  }
}

// The expected log's text without its tildes and checksum, cut at a
// section: everything up to its header line, or from its footer line on.
class Expected {
 public:
  Expected() {
    const std::string golden = GoldenLog(kNtMachine);
    const std::string end = SectionLine("Video Configuration Info", true) + "\r\n\r\n";
    text_ = golden.substr(0, golden.find(end) + end.size());
  }
  const std::string& All() const { return text_; }
  std::string Through(std::string_view title) const {
    const std::string header = SectionLine(title, false) + "\r\n";
    return text_.substr(0, text_.find(header) + header.size());
  }
  std::string After(std::string_view title) const {
    const std::string header = SectionLine(title, false) + "\r\n";
    return text_.substr(text_.find(header) + header.size());
  }
  std::string From(std::string_view title) const {
    return text_.substr(text_.find(SectionLine(title, true)));
  }

 private:
  std::string text_;
};

TEST(WholeLog, EveryFailureOfTheQueryEngineThroughTheFaultSwitches) {
  const Expected log;
  const std::vector<int> failed = {kIddLogFailed, kIddLogCreated}, created = {kIddLogCreated};
  const auto check = [](const std::string& faults, const std::string& text,
                        const std::vector<std::string>& messages, const std::vector<int>& dialogs) {
    SCOPED_TRACE(faults);
    sim::Profile profile = Builtin(kNtMachine);
    profile.wmi["faults"] = nlohmann::json::parse(faults);
    const LogRun run = PressOnce(profile);
    ASSERT_TRUE(run.file.has_value());
    EXPECT_TRUE(SameBytes(*run.file, SealLog(text)));
    EXPECT_EQ(run.messages, messages);
    EXPECT_EQ(run.dialogs, dialogs);
    EXPECT_FALSE(run.temp_left);
  };

  // The connection: nothing or its own lines are written, and the log ends.
  const char* locator = "Failed to create IWbemLocator object";
  const struct {
    const char* faults;
    std::string text, message;
  } connections[] = {
      {R"("initialize": "0x80004005")", "", "Win OLE Initialize Failed!"},
      {R"("security": "0x80010119")", "", "CoInitializeSecurity has already been called!"},
      {R"("security": "0x8001011A")", "",
       "CoInitializeSecurity - could not register authentication services in the list"},
      {R"("locator": "0x80040154")",
       std::string(locator) +
           "\r\n\r\nThis error appears because WMI is most\r\nlikely not installed on this "
           "system!\r\n\r\nVerify the ReadMe file, or verify the\r\nhelp by click on the help "
           "button in this\r\nutility. Then go to TunoraUtil and then\r\n'Miscellaneous Tab' for "
           "more information.\r\n\r\n",
       std::string(locator) + "\n\nVerify c:\\hardware.txt for more information"},
      {R"("connect": "0x8004100E")", "Bad namespace", "Bad namespace"},
  };
  for (const auto& c : connections) {
    check(std::string("{") + c.faults + "}", c.text, {c.message}, failed);
  }
  // Any other security failure lets the log go on.
  check(R"({"security": "0x80004005"})", log.All(), {}, created);

  // An enumeration that does not start: its line, the generic one, the box.
  const std::string bios = "BIOS Info";
  const struct {
    const char* result;
    const char* line;
  } starts[] = {{"80041003", "Access Denied\r\n"},
                {"80041001", "Unspecified Error\r\n"},
                {"80041010", "Class does not exist\r\n"},
                {"80041008", "Invalid Parameter\r\n"},
                {"80041006", "Out of Memory\r\n"},
                {"80041015", "Not Enough Memory\r\n"},
                {"80041002", ""},
                {"80070005", ""}};
  for (const auto& c : starts) {
    const std::string kind = std::string(c.result) == "80041002" ? "Not Found error" : "DCOM error";
    check(std::string(R"({"enumerate": {"Win32_BIOS": "0x)") + c.result + "\"}}",
          log.Through(bios) + c.line + "CreateInstanceEnum() failed: 0x" + c.result + "\r\n" + kind,
          {kind}, failed);
  }

  // A fetch that fails ends that class only.
  const auto fetch = [](const char* result, const char* object) {
    return std::string(R"({"fetch": [{"class": "Win32_BIOS", "at": 1, "result": "0x)") + result +
           "\"" + object + "}]}";
  };
  const struct {
    const char* result;
    const char* line;
  } fetches[] = {{"80041008", "Invalid Parameter\r\n"},
                 {"80041006", "Out of Memory\r\n"},
                 {"8004101D", "Deleted Object -- Enum validity Destroyed\r\n"},
                 {"80041015", "RPC Failure\r\n"},
                 {"80041001", ""}};
  for (const auto& c : fetches) {
    check(fetch(c.result, ""),
          log.Through(bios) + c.line + "Unspecified problem\r\n" + log.From(bios), {}, created);
  }
  // A time-out: the object it delivers is written, or the class ends.
  const std::string timeout = "TimeOut occurred before obtaining all objects\r\n";
  check(fetch("00040004", R"(, "object": true)"), log.Through(bios) + timeout + log.After(bios), {},
        created);
  check(fetch("00040004", ""), log.Through(bios) + timeout + log.From(bios), {}, created);
}

TEST(WholeLog, AFinalFileThatCannotBeWrittenIsReportedAsTheFileError) {
  // A folder of that name: the log cannot be created over it. The run has
  // its one attempt (the management connection cannot be set up twice), so
  // a second press says again that no log was created.
  const LogRun run = PressOnce(
      Builtin(kNtMachine),
      [](const TestMachine& machine) {
        std::filesystem::create_directories(machine.dir() / "drive_c" / "hardware.txt");
      },
      2);
  EXPECT_FALSE(run.file.has_value());
  EXPECT_EQ(run.messages, std::vector<std::string>(2, std::string(kLogFileOpenError)));
  EXPECT_EQ(run.dialogs, std::vector<int>{});
  EXPECT_FALSE(run.temp_left);
}

}  // namespace
}  // namespace tunora::testing
