// tunora in the terminal UI, driven by keys through tmux at 80 by 25 the
// way a person would: open the sheet, visit every tab, pick a setting with
// the keyboard, Apply, Reboot Later, and find the setting in the registry.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/acceptance/process.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

class TmuxSession {
 public:
  TmuxSession(const std::string& machine_dir) : name_("tunora-test-" + std::to_string(::getpid())) {
    Shell("tmux kill-session -t " + name_ + " 2>/dev/null");
    Shell("tmux new-session -d -s " + name_ + " -x 80 -y 25 \"env TUNORA_MACHINE=" + machine_dir +
          " LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=xterm " + TUNORA_BIN_DIR +
          "/tunora; echo EXIT=\\$?; sleep 60\"");
  }
  ~TmuxSession() { Shell("tmux kill-session -t " + name_ + " 2>/dev/null"); }

  void Keys(const std::string& keys) { Shell("tmux send-keys -t " + name_ + " " + keys); }
  std::string Screen() { return Shell("tmux capture-pane -p -t " + name_); }
  // Waits (a bounded time) until the screen shows `text`.
  bool WaitFor(const std::string& text) {
    for (int tries = 0; tries < 100; ++tries) {
      if (Screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  std::string name_;
};

TEST(TerminalUi, SheetByKeysThenApplyAndRebootLater) {
  if (Shell("command -v tmux").empty()) FAIL() << "tmux is missing: run ./scripts/setup";
  TempDir temp;
  const std::string dir = (temp.path() / "pc").string();
  ASSERT_EQ(RunBinary("tunora-sim", {"new", dir, "--profile", "win2000-qx2max"}).exit_code, 0);
  TmuxSession tmux(dir);
  ASSERT_TRUE(tmux.WaitFor("[ Tweak ]")) << tmux.Screen();
  tmux.Keys("Enter");  // Tweak is the default button
  ASSERT_TRUE(tmux.WaitFor("Version 4.02.04")) << tmux.Screen();
  // Every tab in turn, each showing its own page.
  for (const char* page_text : {"AGP Bus Speed", "DirectX Options", "Optimizations",
                                "Horizontal Resolution", "Test Now", "BusMastering"}) {
    tmux.Keys("C-NPage");
    EXPECT_TRUE(tmux.WaitFor(page_text)) << page_text << "\n" << tmux.Screen();
  }
  for (int tab = 0; tab < 5; ++tab) tmux.Keys("C-PPage");
  ASSERT_TRUE(tmux.WaitFor("AGP Bus Speed")) << tmux.Screen();
  tmux.Keys("Down");                                            // from Default to 1x AGP
  ASSERT_TRUE(tmux.WaitFor("\u25C9 1x AGP")) << tmux.Screen();  // the chosen radio's circle
  tmux.Keys("Tab Enter");  // Apply, the first of the sheet's buttons
  ASSERT_TRUE(tmux.WaitFor("You must reboot for your changes to take effect.")) << tmux.Screen();
  tmux.Keys("Escape");  // Reboot Later
  ASSERT_TRUE(tmux.WaitFor("EXIT=1")) << tmux.Screen();

  const std::string registry = RunBinary("tunora-sim", {"show", dir, "registry"}).out;
  EXPECT_NE(registry.find("\"Qxg.AGPFlags\"=hex:01,00,00,00"), std::string::npos);
}

}  // namespace
}  // namespace tunora::testing
