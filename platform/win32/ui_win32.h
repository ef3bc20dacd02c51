// The Windows UI adapter: message boxes, dialogs from in-memory templates,
// property sheets and the wait cursor, over user32 and the common controls.
#pragma once

#include <windows.h>
#include <commctrl.h>
// The port's MessageBox, DialogBox and PropertySheet share their names with
// the A/W-selecting macros of these headers; this adapter calls the A
// functions by name. Include this header after any other Windows header.
#undef MessageBox
#undef DialogBox
#undef PropertySheet

#include <memory>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace tunora::win32 {

class Automation;

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

  HINSTANCE instance() const { return instance_; }
  // Null unless TUNORA_UI_SCRIPT is set.
  Automation* automation() { return automation_.get(); }

 private:
  HINSTANCE instance_;
  HCURSOR saved_cursor_ = nullptr;
  int wait_depth_ = 0;
  std::unique_ptr<Automation> automation_;
};

}  // namespace tunora::win32
