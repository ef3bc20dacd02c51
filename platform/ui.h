// User-interface port: message boxes, modal dialogs driven by handlers,
// and the wait cursor.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dialog_template.h"

namespace tunora {

// MessageBox types and results.
inline constexpr std::uint32_t kMbOk = 0x0;
inline constexpr std::uint32_t kMbOkCancel = 0x1;
inline constexpr std::uint32_t kMbYesNoCancel = 0x3;
inline constexpr std::uint32_t kMbYesNo = 0x4;
inline constexpr std::uint32_t kMbIconError = 0x10;
inline constexpr std::uint32_t kMbIconQuestion = 0x20;
inline constexpr std::uint32_t kMbIconWarning = 0x30;
inline constexpr std::uint32_t kMbIconInformation = 0x40;
inline constexpr std::uint32_t kMbDefButton2 = 0x100;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Notification codes handed to DialogHandler::OnCommand.
inline constexpr int kBnClicked = 0;
inline constexpr int kEnChange = 0x300;
inline constexpr int kCbnSelChange = 1;

// System command of the about entry the main window adds.
inline constexpr std::uint32_t kIdmAboutBox = 0x10;

// What a handler may do to its window. Ids are the template's control ids.
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  virtual void SetText(int id, std::string_view text) = 0;
  virtual std::string GetText(int id) = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  virtual bool IsChecked(int id) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual void Show(int id, bool visible) = 0;
  virtual void SetDefaultButton(int id) = 0;
  virtual void SetFocus(int id) = 0;
  virtual void ComboReset(int id) = 0;
  virtual void ComboAdd(int id, std::string_view item) = 0;
  virtual void ComboSetSelection(int id, int index) = 0;
  virtual int ComboSelection(int id) = 0;
  virtual void SetRange(int id, int low, int high) = 0;  // trackbar, progress
  virtual void SetPosition(int id, int position) = 0;
  virtual int Position(int id) = 0;
  virtual void SetTextLimit(int id, int limit) = 0;
  // Appends a separator and an item to the window's system menu.
  virtual void AppendSystemMenu(std::uint32_t command, std::string_view text) = 0;
  virtual void EndDialog(int result) = 0;
};

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  virtual void OnInit(DialogWindow& window) { (void)window; }
  // Buttons, edits (kEnChange), combos (kCbnSelChange).
  virtual void OnCommand(DialogWindow& window, int id, int notification) {
    (void)window, (void)id, (void)notification;
  }
  // Trackbar moved (`released` once the thumb is let go).
  virtual void OnScroll(DialogWindow& window, int id, int position, bool released) {
    (void)window, (void)id, (void)position, (void)released;
  }
  virtual void OnSysCommand(DialogWindow& window, std::uint32_t command) {
    (void)window, (void)command;
  }
  // Escape or the close box; the default ends the dialog with IDCANCEL.
  virtual void OnCancel(DialogWindow& window) { window.EndDialog(kIdCancel); }
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) = 0;
  // Runs the dialog modally; returns the EndDialog result.
  virtual int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Something the program caused that the user would notice but that is
  // not a window (a reboot requested, a file opened through the shell).
  virtual void Event(std::string_view line) { (void)line; }
};

// Shows the wait cursor for the life of the object.
class WaitCursor {
 public:
  explicit WaitCursor(Ui& ui) : ui_(ui) { ui_.BeginWaitCursor(); }
  ~WaitCursor() { ui_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  Ui& ui_;
};

}  // namespace tunora
