// The terminal UI: draws each dialog from its template with curses (one
// cell per 4 x 8 dialog units) and runs it from the keyboard.
//
//   Tab / Shift-Tab, Up / Down   move the focus
//   Enter                        the focused button, else the default one
//   Space                        presses a button, toggles a check box
//   Left / Right, Home / End     move a trackbar or a combo's selection
//   typing, Backspace            edit the focused edit
//   Escape                       cancel
//   F10, Alt+Space, Esc Space    the window's system menu
//
// The terminal is restored whenever the object goes, also when an
// exception (ProcessExit) passes through a dialog.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "sim/ui/terminal_keys.h"
#include "sim/ui/window_model.h"

namespace tunora::sim {

// Standard input or output is not a terminal, or curses cannot drive it.
class TerminalUnavailable : public std::runtime_error {
 public:
  TerminalUnavailable()
      : std::runtime_error("tunora needs a terminal; set TUNORA_UI_SCRIPT=FILE to run a script") {}
};

class TerminalUi : public Ui {
 public:
  // Throws TerminalUnavailable instead of drawing on something that is not
  // a terminal.
  TerminalUi();
  ~TerminalUi() override;
  TerminalUi(const TerminalUi&) = delete;
  TerminalUi& operator=(const TerminalUi&) = delete;

  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  // Shown in the status line; repeated on standard output once the
  // terminal is restored, so they stay readable after the program ends.
  void Event(std::string_view line) override;

  // What is on the screen, bottom to top, for redraws.
  struct Layer {
    const WindowModel* window = nullptr;  // a dialog, or else a message box:
    std::string_view text, caption;
    std::uint32_t type = 0;
    int focused_button = 0;
  };

 private:
  class Session;

  void Redraw(const std::vector<std::string>* menu = nullptr, int menu_selection = 0);
  KeyPress ReadKey();
  // The system menu of the top dialog: Close (the close box) and what the
  // window appended; runs the chosen entry.
  void RunSystemMenu(WindowModel& window, DialogHandler& handler);
  int RunMessageBox(Layer& layer);

  std::unique_ptr<Session> session_;
  std::vector<Layer*> layers_;
  int wait_depth_ = 0;
  std::string status_;
  std::vector<std::string> events_;
};

}  // namespace tunora::sim
