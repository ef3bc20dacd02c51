// User-interface port: message boxes, modal dialogs driven by handlers,
// and the wait cursor. Methods with an empty default matter to real
// windows only; the simulated UIs leave them alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// WM_NOTIFY codes a property sheet sends its pages.
inline constexpr int kPsnSetActive = -200;  // PSN_SETACTIVE: the page becomes active

// The standard buttons of a property sheet frame (IDOK, IDCANCEL, IDHELP,
// ID_APPLY_NOW); a sheet may hide or rename them.
inline constexpr int kIdSheetOk = 1;
inline constexpr int kIdSheetCancel = 2;
inline constexpr int kIdSheetHelp = 9;
inline constexpr int kIdSheetApplyNow = 0x3021;

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
  // PBM_SETSTEP: how far one step moves a progress bar.
  virtual void SetStep(int id, int step) { (void)id, (void)step; }
  // BM_SETSTYLE with BS_PUSHBUTTON, redrawn: a push button that a click
  // gave the default button's look is drawn plain again.
  virtual void SetPlainButtonStyle(int id) { (void)id; }
  // Appends a separator and an item to the window's system menu.
  virtual void AppendSystemMenu(std::uint32_t command, std::string_view text) = 0;
  virtual void EndDialog(int result) = 0;
  // The program's icon (resource id) as the window's large and small icon;
  // a real window also paints it while minimised and hands it out for
  // dragging. Windows without a frame of their own ignore it.
  virtual void SetIcon(int resource_id) { (void)resource_id; }
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
  // WM_NOTIFY from the window's parent; a property sheet page hears
  // kPsnSetActive each time it becomes active, the first time right after
  // OnInit.
  virtual void OnNotify(DialogWindow& window, int code) { (void)window, (void)code; }
};

// A push button the sheet creates in its own client area
// (CreateWindowEx). Edges are pixels from the client area's right (R) and
// bottom (B) edges: left = R - from_right_left, and so on.
struct SheetButton {
  int id;
  std::string_view text;
  int from_right_left, from_bottom_top, from_right_right, from_bottom_bottom;
  bool default_button = false;
};

// What a sheet handler may do to the sheet frame. The DialogWindow part
// reaches the frame's own controls: the standard buttons (kIdSheet*) and
// the buttons it added; EndDialog ends the sheet's modal loop.
class SheetWindow : public DialogWindow {
 public:
  virtual void AddButton(const SheetButton& button) = 0;
  // PSM_GETCURRENTPAGEHWND + PSM_HWNDTOINDEX.
  virtual int ActivePageIndex() = 0;
  // PSM_SETCURSEL: the old page loses, the new one gets kPsnSetActive.
  virtual void SetActivePage(int index) = 0;
};

class SheetHandler {
 public:
  virtual ~SheetHandler() = default;
  // After the standard sheet initialisation, before the first page shows.
  virtual void OnInit(SheetWindow& sheet) { (void)sheet; }
  // WM_COMMAND to the sheet frame (its buttons).
  virtual void OnCommand(SheetWindow& sheet, int id, int notification) {
    (void)sheet, (void)id, (void)notification;
  }
  // Escape or the close box; the default ends the sheet with 0.
  virtual void OnCancel(SheetWindow& sheet) { sheet.EndDialog(0); }
};

// One page: its dialog (PROPSHEETPAGEA.pResource, the tab title taken
// from the template's title) and the page's dialog procedure.
struct SheetPage {
  const DialogTemplate* dialog;
  DialogHandler* handler;
};

// PropertySheetA: a modal sheet with these pages, `start_page` active.
struct SheetTemplate {
  std::string_view caption;
  std::vector<SheetPage> pages;
  int start_page = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) = 0;
  // Runs the dialog modally; returns the EndDialog result.
  virtual int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) = 0;
  // Runs the property sheet modally; returns the frame's EndDialog result.
  virtual int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) = 0;
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;
  // Something the program caused that the user would notice but that is
  // not a window (a reboot requested, a file opened through the shell).
  virtual void Event(std::string_view line) { (void)line; }
  // The program is inside a long real-time wait (Sleep) behind the wait
  // cursor; a UI may show how long it has waited.
  virtual void Waiting() {}
  // The wait under way is expected to last about this long; a UI may
  // count it down. Forgotten when the wait cursor goes.
  virtual void ExpectWait(std::uint32_t milliseconds) { (void)milliseconds; }
};

// A user nobody sees: every box answered OK, every dialog cancelled, every
// sheet closed. Runs the program's writers without showing anything (the
// undo file's dry run) and drives the benchmarks.
class UnseenUi : public Ui {
 public:
  int MessageBox(std::string_view, std::string_view, std::uint32_t) override { return kIdOk; }
  int DialogBox(const DialogTemplate&, DialogHandler&) override { return kIdCancel; }
  int PropertySheet(const SheetTemplate&, SheetHandler&) override { return 0; }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
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
