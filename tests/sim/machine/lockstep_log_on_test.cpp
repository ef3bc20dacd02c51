// lockstep on the simulated PC: the image tunora carries, the log-on that
// starts the very file tunora wrote, and lockstep as a console program.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "resources/embedded.h"
#include "sim/machine/host.h"
#include "sim/machine/known_programs.h"
#include "sim/machine/reboot.h"
#include "sim/os/sim_files.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kLockstepPath = "C:\\WINNT\\Lockstep.exe";

std::string HostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Image() { return std::string(TunoraResource(kResLockstep).value_or("")); }

// Compared without printing: the image is a few hundred kilobytes.
bool SameBytes(const std::string& a, const std::string& b) { return a == b; }

TEST(LockstepImage, Resource170IsTheBuiltLockstepProgram) {
  const std::string image = Image();
  ASSERT_GT(image.size(), 4u);
  EXPECT_EQ(image.substr(0, 4), std::string("\177ELF"));
  EXPECT_TRUE(SameBytes(image, HostFile(TUNORA_LOCKSTEP_IMAGE)));
}

TEST(KnownPrograms, LockstepOnlyWhenTheFileHoldsExactlyItsImage) {
  const std::string image = Image();
  std::string altered = image;
  altered[altered.size() / 2] ^= 1;
  struct Case {
    const char* what;
    const char* path;
    std::string bytes;
    bool found;
  } cases[] = {
      {"the image", kLockstepPath, image, true},
      {"one byte altered", kLockstepPath, altered, false},
      {"one byte short", kLockstepPath, image.substr(0, image.size() - 1), false},
      {"one byte more", kLockstepPath, image + '\0', false},
      {"another folder", "C:\\Program Files\\Lockstep.exe", image, false},
  };
  TestMachine machine("win2000-qx2max");
  auto m = machine.Open();
  sim::SimFiles files(m->drive_c(), m->profile().windows_directory);
  const std::vector<sim::KnownProgram> programs = sim::KnownPrograms();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(files.WriteFile(c.path, c.bytes));
    const sim::KnownProgram* found =
        sim::FindKnownProgram(programs, "\"" + std::string(c.path) + "\"", files);
    EXPECT_EQ(found != nullptr, c.found);
    if (found != nullptr) {
      EXPECT_EQ(found->name, "lockstep");
    }
  }
}

TEST(LogOn, RunsTheLockstepFileTunoraWroteOnThisMachine) {
  TestMachine machine("win2000-qx2max");
  fs::path written;
  {
    auto m = machine.Open();
    sim::SimFiles files(m->drive_c(), m->profile().windows_directory);
    ASSERT_TRUE(files.WriteFile(kLockstepPath, Image()));
    written = *files.Resolve(kLockstepPath);
    m->registry().hive().SetString(sim::kRunKeyPath, "LOCKSTEPEXE", kLockstepPath);
    // A card code only this machine's registry holds: lockstep refuses it.
    const std::string clock = "Software\\Microsoft\\Windows\\CurrentVersion\\Clock";
    m->registry().hive().SetDword(clock, "Percent", 100);
    m->registry().hive().SetDword(clock, "Card", 300);
    m->registry().NoteChange();
  }
  std::ostringstream out, err;
  sim::RebootAndLogOn(machine.dir(), sim::KnownPrograms(), out, err);
  const std::string text = out.str();
  for (const char* line :
       {"Run entry \"LOCKSTEPEXE\": running lockstep", "Quillex Graphics Inc. - Lockstep v0.0.9c",
        "Invalid Setting!!!", "Registry Error!!! (#1)",
        "Run entry \"LOCKSTEPEXE\": lockstep exited with code 0"}) {
    EXPECT_NE(text.find("\n" + std::string(line) + "\n"), std::string::npos) << line << "\n"
                                                                             << text;
  }
  EXPECT_EQ(err.str(), "");
  EXPECT_NE(fs::status(written).permissions() & fs::perms::owner_exec, fs::perms::none);
}

// A console program's report around a message box it may show.
int ReportAndAsk(Platform& platform) {
  platform.system.WriteConsoleLine("[ first ]");
  const int answer = platform.ui.MessageBox("Go on?", "lockstep", kMbYesNo | kMbDefButton2);
  platform.system.WriteConsoleLine("[ second ]");
  return answer;
}

TEST(ConsoleProgram, ReportsOnStandardOutputWithOrWithoutAScript) {
  struct Case {
    const char* script;
    int exit_code;
    const char* out;
    const char* err;
  } cases[] = {
      // Nobody at the keyboard: the box is written down and answered
      // with its default button.
      {"", kIdNo, "[ first ]\n[ second ]\n", "message \"Go on?\" caption \"lockstep\"\n"},
      // Scripted: the console lines fall between the transcript's lines.
      {"expect message \"Go on?\"\npress 6\n", kIdYes,
       "[ first ]\nmessage \"Go on?\" caption \"lockstep\"\npress 6\n[ second ]\nexit 6\n", ""},
  };
  TestMachine machine("win2000-qx2max");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    sim::HostRequest request;
    request.machine_dir = machine.dir();
    request.script_text = c.script;
    request.console_program = true;
    std::ostringstream out, err;
    EXPECT_EQ(sim::RunHosted("lockstep", ReportAndAsk, request, out, err), c.exit_code);
    EXPECT_EQ(out.str(), c.out);
    EXPECT_EQ(err.str(), c.err);
  }
}

}  // namespace
}  // namespace tunora::testing
