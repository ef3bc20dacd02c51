// The terminal UI: draws each dialog and property sheet from its template
// with curses (one cell per 4 x 8 dialog units) and runs it from the
// keyboard and the mouse.
//
//   Tab / Shift-Tab              move the focus (a sheet: the page, then its buttons)
//   Up / Down / Left / Right     within a radio group, a trackbar or a combo; else the focus
//   Enter                        the focused button, else the default one
//   Space                        presses a button, toggles a check box
//   PgUp / PgDn, Home / End      move a trackbar or a combo's selection
//   typing, Backspace            edit the focused edit
//   Alt+letter, letter           the control whose text marks the letter with '&'
//   Alt+letter (sheet)           also the tab with that letter (first of its title)
//   Ctrl+PgUp / Ctrl+PgDn        the previous / next tab
//   Escape                       cancel
//   F10, Alt+Space, Esc Space    the window's system menu
//   mouse click                  tabs, buttons, boxes, edits, combo arrows, trackbars
//
// Lines are Unicode box-drawing characters in a UTF-8 locale, ASCII
// otherwise. The terminal is restored whenever the object goes, also when
// an exception (ProcessExit) passes through a dialog.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "automation/sheet_model.h"
#include "automation/window_model.h"
#include "platform/ui.h"
#include "sim/ui/terminal_keys.h"
#include "sim/ui/terminal_layout.h"

namespace tunora::sim {

// Standard input or output is not a terminal, or curses cannot drive it.
class TerminalUnavailable : public std::runtime_error {
 public:
  TerminalUnavailable()
      : std::runtime_error("tunora needs a terminal; set TUNORA_UI_SCRIPT=FILE to run a script") {}
};

// `shell open "C:\X\Y"` with where that file is on this computer
// appended (" -> DRIVE_C/X/Y"); other lines, and paths off C:, unchanged.
std::string WithHostPath(std::string_view event, const std::filesystem::path& drive_c);

class TerminalUi : public Ui {
 public:
  // Throws TerminalUnavailable instead of drawing on something that is not
  // a terminal.
  TerminalUi();
  ~TerminalUi() override;
  TerminalUi(const TerminalUi&) = delete;
  TerminalUi& operator=(const TerminalUi&) = delete;

  // The machine's C: drive on this computer, so that files the program
  // opens through the shell can be named where the user finds them.
  void SetDriveC(std::filesystem::path drive_c) { drive_c_ = std::move(drive_c); }

  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  // Redraws the wait line with the seconds waited when that number changes.
  void Waiting() override;
  // The wait line counts down from there.
  void ExpectWait(std::uint32_t milliseconds) override;
  // Shown in the status line; repeated on standard output once the
  // terminal is restored, so they stay readable after the program ends.
  void Event(std::string_view line) override;

  // What is on the screen, bottom to top, for redraws.
  struct Layer {
    const WindowModel* window = nullptr;  // a dialog,
    const SheetModel* sheet = nullptr;    // or a sheet,
    const SheetFocus* sheet_focus = nullptr;
    std::string_view text, caption;  // or else a message box
    std::uint32_t type = 0;
    int focused_button = 0;
  };

 private:
  class Session;

  void Redraw(const std::vector<std::string>* menu = nullptr, int menu_selection = 0);
  // Where a layer's window sits on the screen as it is now.
  CellRect FrameOf(const Layer& layer) const;
  // False while the windows do not fit the screen (mouse clicks then miss).
  bool WindowsFit() const;
  KeyPress ReadKey();
  // The system menu of the top dialog: Close (the close box) and what the
  // window appended; runs the chosen entry.
  void RunSystemMenu(WindowModel& window, DialogHandler& handler);
  int RunMessageBox(Layer& layer);

  std::unique_ptr<Session> session_;
  std::vector<Layer*> layers_;
  int wait_depth_ = 0;
  std::chrono::steady_clock::time_point wait_start_;
  long long wait_seconds_ = 0;          // as the wait line shows them
  std::uint32_t expected_wait_ms_ = 0;  // 0: not known
  std::string status_;
  std::vector<std::string> events_;
  std::filesystem::path drive_c_;
};

}  // namespace tunora::sim
