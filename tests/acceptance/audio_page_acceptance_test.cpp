// The Audio page, which the program builds but never shows, shown through
// the sheet's test option: the tone chosen, played as a WAV file the
// simulated PC accepts, deleted afterwards; and the written file read by
// an independent reader (soxi, from sox).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>

#include "app/start_up.h"
#include "hwaccess/board_tables.h"
#include "sheet/audio_page.h"
#include "sheet/prop_sheet.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/script_steps.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

// tunora up to the sheet, which opens with the Audio page among its pages.
int AudioSheetMain(Platform& platform) {
  App app(platform);
  try {
    IdentifyMachine(app);
    app.state.chip_family = NameCard(app.state.card.card_code).family;
    return PropSheet(app, {.show_audio_page = true}).Run();
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
}

TEST(AudioPage, ToneIsPlayedThenDeletedAndTheChoiceStays) {
  struct Case {
    const char* profile;
    int index;
  };
  for (const Case& c : {Case{"win2000-qx2max", 23}, Case{"win98-qx1", 1}}) {
    SCOPED_TRACE(c.profile);
    TestMachine machine(c.profile);
    const std::uint64_t before_ms = machine.Open()->virtual_ms();
    const std::string select = "select 1072 " + std::to_string(c.index) + "\n";
    const ProgramRun run = machine.Run(
        AudioSheetMain, "expect window 129\ntab \"Audio\"\nexpect window 157\ndump\n" + select +
                            "dump\nclick 1028\ntab \"OpenGL\"\nexpect window 135\n"
                            "tab \"Audio\"\nexpect window 157\ndump\nclick 992\n");
    ASSERT_EQ(run.exit_code, 0) << run.errors << run.transcript;
    const std::string& t = run.transcript;
    EXPECT_TRUE(HasLineAnyFocus(t, "control 1072 combo \"-- None --\" sel=0 items=24")) << t;
    EXPECT_TRUE(HasLineAnyFocus(t, "control 1028 button \"Play Audio Tone\" disabled")) << t;
    EXPECT_TRUE(
        HasLineAnyFocus(t,
                        "sound played \"c:\\tunoratri.wav\" PCM 44100 Hz, 8 bits, 1 channel, "
                        "441000 bytes"))
        << t;
    // Shown again after another page: the same tone, ready to play.
    const std::string again = t.substr(t.rfind("window 157"));
    EXPECT_NE(again.find(" sel=" + std::to_string(c.index) + " items=24"), std::string::npos)
        << again;
    EXPECT_TRUE(HasLineAnyFocus(again, "control 1028 button \"Play Audio Tone\"")) << again;
    EXPECT_FALSE(machine.FileExists("c:\\tunoratri.wav"));
    EXPECT_GE(machine.Open()->virtual_ms() - before_ms, 10000u);
  }
}

// Files that keep the last bytes written, so the deleted tone can be read.
class KeepingFiles : public Files {
 public:
  explicit KeepingFiles(Files& inner) : inner_(inner) {}
  std::string WindowsDirectory() override { return inner_.WindowsDirectory(); }
  bool WriteFile(std::string_view path, std::string_view bytes) override {
    written = std::string(bytes);
    return inner_.WriteFile(path, bytes);
  }
  bool AppendFile(std::string_view path, std::string_view bytes) override {
    return inner_.AppendFile(path, bytes);
  }
  std::optional<std::string> ReadFile(std::string_view path) override {
    return inner_.ReadFile(path);
  }
  bool DeleteFile(std::string_view path) override { return inner_.DeleteFile(path); }
  bool FileExists(std::string_view path) override { return inner_.FileExists(path); }

  std::string written;

 private:
  Files& inner_;
};

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[256];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

TEST(AudioPage, WrittenToneReadsAsTenSecondsOfEightBitMonoWithSoxi) {
  if (std::system("command -v soxi >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "soxi is missing: install sox (./scripts/setup does)";
  }
  TestMachine test_machine("win2000-qx2max");
  auto machine = test_machine.Open();
  FakeUi ui;
  sim::SimProcess process(*machine, ui);
  Platform& sim = process.platform();
  KeepingFiles files(sim.files);
  Platform platform{sim.registry, sim.devices, sim.ports, sim.memory,
                    files,        sim.system,  sim.ui,    sim.wmi};
  PlayTestTone(platform, 1500);
  ASSERT_EQ(process.system().sounds_played().size(), 1u);

  TempDir temp;
  const std::string wav = (temp.path() / "tunoratri.wav").string();
  std::ofstream(wav, std::ios::binary) << files.written;
  const std::map<std::string, std::string> expected = {
      {"-t", "wav"},    {"-r", "44100"}, {"-c", "1"},
      {"-s", "441000"}, {"-b", "8"},     {"-e", "Unsigned Integer PCM"},
  };
  for (const auto& [option, value] : expected) {
    EXPECT_EQ(Output("soxi " + option + " '" + wav + "'"), value + "\n") << option;
  }
}

}  // namespace
}  // namespace tunora::testing
