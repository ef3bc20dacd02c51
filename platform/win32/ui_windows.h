// The windows of the Windows UI adapter: dialogs, property pages and the
// sheet frame over their HWNDs, as the handlers and the test automation
// see them. Internal to the adapter (ui_win32.cpp runs them, and
// ui_automation_win32.cpp takes script steps on them).
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/ui_script.h"
#include "automation/window_model.h"
#include "platform/ui.h"
#include "platform/win32/ui_win32.h"

namespace tunora::win32 {

// Private messages: take the next script step; end the sheet's modal loop.
inline constexpr UINT kStepMessage = WM_APP + 0x71;
inline constexpr UINT_PTR kScreenshotTimer = 0x7471;
inline constexpr UINT kEndSheetMessage = WM_APP + 0x72;
inline constexpr char kSheetProp[] = "tunora.sheet";

inline std::string GetText(HWND item) {
  const int length = GetWindowTextLengthA(item);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  const int copied = GetWindowTextA(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

inline bool HasClass(HWND item, const char* name) {
  char buffer[32] = {};
  GetClassNameA(item, buffer, sizeof buffer);
  return lstrcmpiA(buffer, name) == 0;
}

// A window the script can act on: a dialog or a sheet.
class Automated {
 public:
  virtual ~Automated() = default;
  virtual HWND StepTarget() const = 0;
  virtual std::string Describe() const = 0;
  virtual void Perform(const sim::ScriptStep& step) = 0;
};

// The DialogWindow operations over a window's HWND; dialogs, pages and the
// sheet frame share them.
template <class Base>
class HwndWindow : public Base {
 public:
  explicit HwndWindow(Win32Ui& ui) : ui_(ui) {}
  HWND hwnd() const { return hwnd_; }
  Win32Ui& ui() const { return ui_; }
  void Attach(HWND hwnd) { hwnd_ = hwnd; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  void SetText(int id, std::string_view text) override {
    SetDlgItemTextA(hwnd_, id, std::string(text).c_str());
  }
  std::string GetText(int id) override {
    HWND item = Item(id);
    return item ? win32::GetText(item) : std::string();
  }
  void SetCheck(int id, bool checked) override {
    CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  bool IsChecked(int id) override { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
  void Enable(int id, bool enabled) override {
    if (HWND item = Item(id)) EnableWindow(item, enabled);
  }
  void Show(int id, bool visible) override {
    if (HWND item = Item(id)) ShowWindow(item, visible ? SW_SHOW : SW_HIDE);
  }
  void SetDefaultButton(int id) override {
    SendMessageA(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0);
  }
  void SetFocus(int id) override {
    HWND item = Item(id);
    if (!item) return;
    focus_set_ = true;
    // A dialog moves its default-button look along with the focus.
    if (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD) {
      ::SetFocus(item);
    } else {
      SendMessageA(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    }
  }
  void ComboReset(int id) override { SendDlgItemMessageA(hwnd_, id, CB_RESETCONTENT, 0, 0); }
  void ComboAdd(int id, std::string_view item) override {
    const std::string text(item);
    SendDlgItemMessageA(hwnd_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void ComboSetSelection(int id, int index) override {
    SendDlgItemMessageA(hwnd_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  int ComboSelection(int id) override {
    const LRESULT selection = SendDlgItemMessageA(hwnd_, id, CB_GETCURSEL, 0, 0);
    return selection == CB_ERR ? -1 : static_cast<int>(selection);
  }
  void SetRange(int id, int low, int high) override {
    HWND item = Item(id);
    if (!item) return;
    if (HasClass(item, TRACKBAR_CLASSA)) {
      SendMessageA(item, TBM_SETRANGE, TRUE, MAKELPARAM(low, high));
    } else {
      SendMessageA(item, PBM_SETRANGE, 0, MAKELPARAM(low, high));
    }
  }
  void SetPosition(int id, int position) override {
    HWND item = Item(id);
    if (!item) return;
    if (HasClass(item, TRACKBAR_CLASSA)) {
      SendMessageA(item, TBM_SETPOS, TRUE, position);
    } else {
      SendMessageA(item, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
  }
  int Position(int id) override {
    HWND item = Item(id);
    if (!item) return 0;
    const UINT message = HasClass(item, TRACKBAR_CLASSA) ? TBM_GETPOS : PBM_GETPOS;
    return static_cast<int>(SendMessageA(item, message, 0, 0));
  }
  void SetTextLimit(int id, int limit) override {
    SendDlgItemMessageA(hwnd_, id, EM_LIMITTEXT, static_cast<WPARAM>(std::max(limit, 0)), 0);
    limits_[id] = std::max(limit, 0);
  }
  void SetStep(int id, int step) override {
    SendDlgItemMessageA(hwnd_, id, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
  }
  void SetPlainButtonStyle(int id) override {
    SendDlgItemMessageA(hwnd_, id, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  void AppendSystemMenu(std::uint32_t command, std::string_view text) override {
    HMENU menu = GetSystemMenu(hwnd_, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, command, std::string(text).c_str());
    system_commands_.push_back(command);
  }
  void SetIcon(int resource_id) override {
    icon_ = LoadIconA(ui_.instance(), MAKEINTRESOURCEA(resource_id));
    HICON small_icon = static_cast<HICON>(LoadImageA(ui_.instance(), MAKEINTRESOURCEA(resource_id),
                                                     IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(small_icon ? small_icon : icon_));
  }

  bool focus_set() const { return focus_set_; }
  HICON icon() const { return icon_; }
  bool HasSystemCommand(std::uint32_t command) const {
    return std::find(system_commands_.begin(), system_commands_.end(), command) !=
           system_commands_.end();
  }
  int Limit(int id) const {
    const auto found = limits_.find(id);
    return found == limits_.end() ? 0 : found->second;
  }

 protected:
  Win32Ui& ui_;
  HWND hwnd_ = nullptr;
  bool focus_set_ = false;
  HICON icon_ = nullptr;
  std::vector<std::uint32_t> system_commands_;
  std::map<int, int> limits_;
};

// A dialog or a property page built from a template, with its handler.
class DialogContext : public HwndWindow<DialogWindow>, public Automated {
 public:
  DialogContext(Win32Ui& ui, const DialogTemplate& dialog, DialogHandler& handler, bool page)
      : HwndWindow(ui), dialog_(dialog), handler_(handler), page_(page) {}

  const DialogTemplate& dialog() const { return dialog_; }
  DialogHandler& handler() { return handler_; }
  bool page() const { return page_; }

  void EndDialog(int result) override {
    // A page does not end on its own; the sheet does.
    if (!page_) ::EndDialog(hwnd_, result);
  }

  // WM_INITDIALOG: the template's combo entries, then the handler.
  BOOL Init() {
    for (const ControlTemplate& control : dialog_.controls) {
      for (const std::string_view item : control.items) ComboAdd(control.id, item);
    }
    handler_.OnInit(*this);
    return focus_set_ ? FALSE : TRUE;
  }

  // The template's control with this id, or null.
  const ControlTemplate* Find(int id) const {
    for (const ControlTemplate& control : dialog_.controls) {
      if (control.id == id) return &control;
    }
    return nullptr;
  }

  // The window's controls as the dump writes them: the template's, in
  // creation order, read back from the real children.
  sim::WindowModel ReadModel() const;

  HWND StepTarget() const override { return hwnd_; }
  std::string Describe() const override;
  void Perform(const sim::ScriptStep& step) override;

 private:
  const DialogTemplate& dialog_;
  DialogHandler& handler_;
  bool page_;

 public:
  bool announced = false;  // pages: the `window` line of this activation is out
};

// The sheet frame: its standard buttons and the ones its handler adds.
class SheetContext : public HwndWindow<SheetWindow>, public Automated {
 public:
  SheetContext(Win32Ui& ui, const SheetTemplate& sheet, SheetHandler& handler)
      : HwndWindow(ui), sheet_(sheet), handler_(handler) {}
  ~SheetContext() override {
    if (font_) DeleteObject(font_);
  }

  SheetHandler& handler() { return handler_; }
  WNDPROC original() const { return original_; }
  bool ending() const { return ending_; }
  int result() const { return result_; }
  std::vector<std::unique_ptr<DialogContext>>& pages() { return pages_; }

  void Subclass(HWND hwnd, WNDPROC proc) {
    Attach(hwnd);
    SetPropA(hwnd, kSheetProp, this);
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
  }
  void Unsubclass() {
    if (!hwnd_) return;
    SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropA(hwnd_, kSheetProp);
  }

  void EndDialog(int result) override {
    result_ = result;
    PostMessageA(hwnd_, kEndSheetMessage, 0, 0);
  }
  // Lets the sheet's own Cancel end the modal loop.
  void EndNow() {
    ending_ = true;
    PropSheet_PressButton(hwnd_, PSBTN_CANCEL);
  }

  void AddButton(const SheetButton& button) override {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int left = client.right - button.from_right_left;
    const int top = client.bottom - button.from_bottom_top;
    const DWORD style =
        WS_CHILD | WS_VISIBLE | WS_TABSTOP |
        static_cast<DWORD>(button.default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    HWND created = CreateWindowExA(0, "BUTTON", std::string(button.text).c_str(), style, left, top,
                                   button.from_right_left - button.from_right_right,
                                   button.from_bottom_top - button.from_bottom_bottom, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)),
                                   ui_.instance(), nullptr);
    SendMessageA(created, WM_SETFONT, reinterpret_cast<WPARAM>(NormalWeightFont()), FALSE);
    if (button.default_button) SetDefaultButton(button.id);
    added_.push_back(
        {button.id, button.default_button ? ControlKind::kDefPushButton : ControlKind::kPushButton,
         button.text, 0, 0, 0, 0});
  }
  // By the page's window: PSM_HWNDTOINDEX is newer than the common
  // controls of Windows 98 and NT 4.
  int ActivePageIndex() override {
    const HWND current = PropSheet_GetCurrentPageHwnd(hwnd_);
    for (std::size_t i = 0; current && i < pages_.size(); ++i) {
      if (pages_[i]->hwnd() == current) return static_cast<int>(i);
    }
    return -1;
  }
  void SetActivePage(int index) override { PropSheet_SetCurSel(hwnd_, nullptr, index); }

  DialogContext* ActivePage() {
    const int index = ActivePageIndex();
    if (index < 0 || index >= static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
  }

  HWND StepTarget() const override { return hwnd_; }
  std::string Describe() const override;
  void Perform(const sim::ScriptStep& step) override;
  std::vector<std::string> Dump();

 private:
  // The sheet's font at normal weight, for the buttons it adds.
  HFONT NormalWeightFont() {
    if (font_) return font_;
    auto sheet_font = reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0));
    LOGFONTA logical{};
    if (!sheet_font || !GetObjectA(sheet_font, sizeof logical, &logical)) {
      GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logical, &logical);
    }
    logical.lfWeight = FW_NORMAL;
    font_ = CreateFontIndirectA(&logical);
    return font_;
  }

  const SheetTemplate& sheet_;
  SheetHandler& handler_;
  WNDPROC original_ = nullptr;
  bool ending_ = false;
  int result_ = 0;
  HFONT font_ = nullptr;
  std::vector<std::unique_ptr<DialogContext>> pages_;
  std::vector<ControlTemplate> added_;
};

}  // namespace tunora::win32
