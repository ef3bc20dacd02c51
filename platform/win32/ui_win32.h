// The Windows UI adapter: message boxes, dialogs from in-memory templates,
// property sheets and the wait cursor, over user32 and the common controls.
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>
// The ports' MessageBox, DialogBox, PropertySheet and ExitWindows share
// their names with macros of these headers; the adapters call the Windows
// functions by their full names. Include this header after any other
// Windows header.
#undef MessageBox
#undef DialogBox
#undef PropertySheet
#undef ExitWindows

#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "platform/win32/screenshot.h"

namespace tunora::win32 {

class Automation;
class Automated;
class DialogContext;

class Win32Ui : public Ui {
 public:
  // `instance` holds the program's icons and pictures. When TUNORA_UI_SCRIPT
  // names a script, the windows are driven by it (see automation.h).
  explicit Win32Ui(HINSTANCE instance);
  ~Win32Ui() override;
  Win32Ui(const Win32Ui&) = delete;
  Win32Ui& operator=(const Win32Ui&) = delete;

  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  void Event(std::string_view line) override;

  // The main's last word: under automation, checks that the script was
  // used up and writes `exit N`; returns the exit code to end with (99 when
  // the script failed).
  int FinishRun(int exit_code);

  HINSTANCE instance() const { return instance_; }
  // Null unless TUNORA_UI_SCRIPT is set.
  Automation* automation() { return automation_.get(); }

  // For the adapter's window procedures.
  // Runs a handler call; an exception ends the window (`hwnd`, or the sheet
  // it belongs to) and is rethrown where the window was opened. Afterwards
  // the topmost window is due for the next step unless `post_step` is false.
  template <class Action>
  void Guard(HWND hwnd, Action action, bool post_step = true);
  // Under automation: the topmost window takes the next step soon; only
  // the latest request counts.
  void PostStep();
  void TakeStep(Automated& window, WPARAM serial);
  WPARAM step_serial() const { return step_serial_; }
  // A page becomes active: its `window` line, once per activation.
  void AnnouncePage(DialogContext& page);
  void PageActivated(DialogContext& page, bool activated);

 private:
  bool IsIcon(int id) const;
  void RethrowPending();
  // The innermost open window, owner of the next one; null when none is
  // open. (The active window is null while another program's is active,
  // which would leave the window beneath usable.)
  HWND Owner() const;

  HINSTANCE instance_;
  HCURSOR saved_cursor_ = nullptr;
  int wait_depth_ = 0;
  std::unique_ptr<Automation> automation_;
  std::exception_ptr pending_;
  std::vector<Automated*> automated_;  // the open windows, innermost last
  WPARAM step_serial_ = 0;
  ScreenshotRequest screenshot_;
};

}  // namespace tunora::win32
