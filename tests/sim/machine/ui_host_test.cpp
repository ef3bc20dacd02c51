#include "sim/ui/ui_host.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"

namespace tunora::sim {
namespace {

int AskAndEnd(Ui& ui) {
  if (ui.MessageBox("Go on?", "Tunora", kMbYesNo) == kIdNo) EndProcess(4);
  return 0;
}

TEST(UiHost, ScriptNamedRunsTheScriptedUi) {
  const std::filesystem::path script = std::filesystem::path(::testing::TempDir()) / "host.txt";
  std::ofstream(script) << "expect message \"Go on?\"\npress 7\n";
  std::ostringstream out, err;
  EXPECT_EQ(RunOnUserInterface(script.c_str(), out, err, AskAndEnd), 4);
  EXPECT_EQ(out.str(), "message \"Go on?\" caption \"Tunora\"\npress 7\nexit 4\n");
  EXPECT_EQ(err.str(), "");
}

// Without a script and without a terminal the program never starts. Run in
// a child whose standard input and output are /dev/null.
TEST(UiHost, NoScriptAndNoTerminalIsRefused) {
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    std::ostringstream out, err;
    bool ran = false;
    const int code = RunOnUserInterface(nullptr, out, err, [&](Ui&) {
      ran = true;
      return 0;
    });
    const bool told =
        err.str() == "tunora needs a terminal; set TUNORA_UI_SCRIPT=FILE to run a script\n";
    _exit(code == kNoTerminalExitCode && told && !ran && out.str().empty() ? 20 : 30);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 20);
}

}  // namespace
}  // namespace tunora::sim
