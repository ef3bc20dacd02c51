// The terminal UI driven through a pseudo-terminal: a child process runs a
// dialog on it, the test types keys and reads the child's exit code.
#include "sim/ui/terminal_ui.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/platform.h"

namespace tunora::sim {
namespace {

constexpr int kKeysDialogId = 600;
constexpr int kCheckId = 10;
constexpr int kChildFailed = 101;

const DialogTemplate& KeysDialog() {
  static const DialogTemplate dialog{
      kKeysDialogId,
      "Keys Test",
      160,
      64,
      {
          {kCheckId, ControlKind::kCheckBox, "&Ticked", 8, 8, 80, 10, kStyleAutoCheck},
          {kIdOk, ControlKind::kDefPushButton, "OK", 8, 40, 48, 14},
          {kIdCancel, ControlKind::kPushButton, "Cancel", 64, 40, 48, 14},
      }};
  return dialog;
}

// OK ends with 5 when the box is ticked, 6 when not; Cancel with 2; the
// about entry shows a message box; Escape ends with 7 after the about box
// was seen, 8 before.
class KeysHandler : public DialogHandler {
 public:
  explicit KeysHandler(Ui& ui, bool exit_on_ok = false) : ui_(ui), exit_on_ok_(exit_on_ok) {}
  void OnInit(DialogWindow& window) override {
    window.AppendSystemMenu(kIdmAboutBox, "&About Keys");
  }
  void OnCommand(DialogWindow& window, int id, int) override {
    if (id == kIdOk && exit_on_ok_) EndProcess(3);
    if (id == kIdOk) window.EndDialog(window.IsChecked(kCheckId) ? 5 : 6);
    if (id == kIdCancel) window.EndDialog(kIdCancel);
  }
  void OnSysCommand(DialogWindow&, std::uint32_t command) override {
    if (command == kIdmAboutBox)
      about_seen_ = ui_.MessageBox("About text", "About", kMbOk) == kIdOk;
  }
  void OnCancel(DialogWindow& window) override { window.EndDialog(about_seen_ ? 7 : 8); }

 private:
  Ui& ui_;
  bool exit_on_ok_;
  bool about_seen_ = false;
};

// A child process on a fresh 80 x 24 pseudo-terminal.
class PtyChild {
 public:
  explicit PtyChild(const std::function<int()>& body) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
      setenv("TERM", "xterm", 1);
      int code = kChildFailed;
      try {
        code = body();
      } catch (...) {
      }
      _exit(code);
    }
  }
  ~PtyChild() {
    if (master_ >= 0) close(master_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  PtyChild(const PtyChild&) = delete;
  PtyChild& operator=(const PtyChild&) = delete;

  bool started() const { return pid_ > 0; }

  // Reads the child's screen output until `text` turns up after what was
  // already seen; false if the child ends or stays silent too long.
  bool WaitFor(std::string_view text) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < give_up) {
      const std::size_t found = output_.find(text, seen_);
      if (found != std::string::npos) {
        seen_ = found + text.size();
        return true;
      }
      if (!ReadSome()) return false;
    }
    return false;
  }

  void Send(std::string_view keys) const {
    ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // Drains the output until the child ends; its exit code, or -1.
  int Finish() {
    while (ReadSome()) {
    }
    int status = 0;
    const pid_t done = waitpid(pid_, &status, 0);
    pid_ = -1;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  bool ReadSome() {
    pollfd poll_fd{master_, POLLIN, 0};
    if (poll(&poll_fd, 1, 20000) <= 0) return false;
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) return false;  // EIO once the child has closed the terminal
    output_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int master_ = -1;
  std::string output_;
  std::size_t seen_ = 0;
};

int RunKeysDialog() {
  TerminalUi ui;
  KeysHandler handler(ui);
  return ui.DialogBox(KeysDialog(), handler);
}

TEST(TerminalUi, SpaceTicksTheFocusedBoxAndEnterPressesTheDefault) {
  PtyChild child(RunKeysDialog);
  ASSERT_TRUE(child.started());
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send(" \r");
  EXPECT_EQ(child.Finish(), 5);
}

TEST(TerminalUi, TabMovesToCancelAndEnterPressesIt) {
  PtyChild child(RunKeysDialog);
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send("\t\t\r");
  EXPECT_EQ(child.Finish(), kIdCancel);
}

TEST(TerminalUi, SystemMenuReachesTheAboutBox) {
  PtyChild child(RunKeysDialog);
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send("\x1b[21~");  // F10
  ASSERT_TRUE(child.WaitFor("About Keys"));
  child.Send("a");
  ASSERT_TRUE(child.WaitFor("About text"));
  // Enter closes the box; a lone Escape, the last key, cancels the dialog.
  child.Send("\r\x1b");
  EXPECT_EQ(child.Finish(), 7);
}

TEST(TerminalUi, AltSpaceOpensTheSystemMenuToo) {
  PtyChild child(RunKeysDialog);
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send("\x1b ");
  ASSERT_TRUE(child.WaitFor("About Keys"));
  child.Send("c");  // Close, as the close box: the handler's cancel
  EXPECT_EQ(child.Finish(), 8);
}

// A dialog without a close box (its cancel may program the card) has no
// Close in its system menu: "c" picks nothing, the window's own entry
// still works.
TEST(TerminalUi, ADialogWithoutACloseBoxHasNoCloseEntry) {
  PtyChild child([] {
    DialogTemplate dialog = KeysDialog();
    dialog.flags = kDialogNoCloseBox;
    TerminalUi ui;
    KeysHandler handler(ui);
    return ui.DialogBox(dialog, handler);
  });
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send("\x1b[21~");  // F10
  ASSERT_TRUE(child.WaitFor("About Keys"));
  child.Send("ca");
  ASSERT_TRUE(child.WaitFor("About text"));
  child.Send("\r\x1b");
  EXPECT_EQ(child.Finish(), 7);
}

TEST(TerminalUi, ProcessExitRestoresTheTerminal) {
  PtyChild child([] {
    termios before{};
    tcgetattr(STDIN_FILENO, &before);
    int code = kChildFailed;
    try {
      TerminalUi ui;
      KeysHandler handler(ui, /*exit_on_ok=*/true);
      ui.DialogBox(KeysDialog(), handler);
    } catch (const ProcessExit& exit) {
      code = exit.code;
    }
    termios after{};
    tcgetattr(STDIN_FILENO, &after);
    constexpr tcflag_t kModes = ICANON | ECHO;
    return (before.c_lflag & kModes) == (after.c_lflag & kModes) ? code : 50;
  });
  ASSERT_TRUE(child.WaitFor("Keys Test"));
  child.Send("\r");
  EXPECT_EQ(child.Finish(), 3);
}

}  // namespace
}  // namespace tunora::sim
