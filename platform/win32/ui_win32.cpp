#include "platform/win32/ui_win32.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/automation.h"
#include "platform/win32/dlgtemplate.h"
#include "platform/win32/screenshot.h"
#include "sim/ui/sheet_model.h"
#include "sim/ui/window_model.h"

namespace tunora::win32 {
namespace {

// Private messages: take the next script step; end the sheet's modal loop.
constexpr UINT kStepMessage = WM_APP + 0x71;
constexpr UINT_PTR kScreenshotTimer = 0x7471;
constexpr UINT kEndSheetMessage = WM_APP + 0x72;
constexpr char kSheetProp[] = "tunora.sheet";

std::string GetText(HWND item) {
  const int length = GetWindowTextLengthA(item);
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  const int copied = GetWindowTextA(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

bool HasClass(HWND item, const char* name) {
  char buffer[32] = {};
  GetClassNameA(item, buffer, sizeof buffer);
  return lstrcmpiA(buffer, name) == 0;
}

}  // namespace

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

namespace {

// What one control of the window reads back as, in the dump's words.
void ReadBack(HWND item, sim::ControlState& control, int limit) {
  if (control.kind != ControlKind::kPicture) control.text = GetText(item);
  control.enabled = IsWindowEnabled(item) != FALSE;
  control.visible = (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
  control.limit = limit;
  switch (control.kind) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioButton:
      control.checked = SendMessageA(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
      break;
    case ControlKind::kComboBox: {
      control.items.clear();
      const auto count = static_cast<int>(SendMessageA(item, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        const auto length = SendMessageA(item, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::string text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        SendMessageA(item, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        control.items.push_back(text);
      }
      const LRESULT selection = SendMessageA(item, CB_GETCURSEL, 0, 0);
      control.selection = selection == CB_ERR ? -1 : static_cast<int>(selection);
      break;
    }
    case ControlKind::kTrackbar:
      control.low = static_cast<int>(SendMessageA(item, TBM_GETRANGEMIN, 0, 0));
      control.high = static_cast<int>(SendMessageA(item, TBM_GETRANGEMAX, 0, 0));
      control.position = static_cast<int>(SendMessageA(item, TBM_GETPOS, 0, 0));
      break;
    case ControlKind::kProgress:
      control.low = static_cast<int>(SendMessageA(item, PBM_GETRANGE, TRUE, 0));
      control.high = static_cast<int>(SendMessageA(item, PBM_GETRANGE, FALSE, 0));
      control.position = static_cast<int>(SendMessageA(item, PBM_GETPOS, 0, 0));
      break;
    default:
      break;
  }
}

// Default button and focus as the dialog manager has them.
void ReadDefaultAndFocus(HWND dialog, sim::WindowModel& model) {
  // The dialog manager names IDOK when no button is the default one; only
  // a button drawn as the default counts.
  const LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  HWND button = HIWORD(def) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(def)) : nullptr;
  if (button && (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
    model.SetDefaultButton(LOWORD(def));
  }
  if (HWND focus = GetFocus(); focus && GetParent(focus) == dialog) {
    model.SetFocus(GetDlgCtrlID(focus));
  }
}

}  // namespace

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
  sim::WindowModel ReadModel() const {
    sim::WindowModel model(dialog_);
    HWND child = GetWindow(hwnd_, GW_CHILD);
    for (sim::ControlState& control : model.controls()) {
      if (!child) break;
      ReadBack(child, control, Limit(control.id));
      child = GetWindow(child, GW_HWNDNEXT);
    }
    ReadDefaultAndFocus(hwnd_, model);
    return model;
  }

  HWND StepTarget() const override { return hwnd_; }
  std::string Describe() const override {
    return "window " + std::to_string(dialog_.id) + " " + sim::QuoteScriptString(dialog_.title);
  }
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
  std::string Describe() const override {
    std::string text = "sheet " + sim::QuoteScriptString(sheet_.caption);
    if (DialogContext* page = const_cast<SheetContext*>(this)->ActivePage()) {
      text += " on " + page->Describe();
    }
    return text;
  }
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

namespace {

// The sheet PropertySheetA is creating: its callback carries no context.
thread_local SheetContext* g_creating_sheet = nullptr;

}  // namespace

// Exceptions (EndProcess included) must not cross user32's frames: they are
// parked here, the window is ended, and the call that opened it rethrows.
template <class Action>
void Win32Ui::Guard(HWND hwnd, Action action, bool post_step) {
  if (pending_) return;
  try {
    action();
  } catch (...) {
    pending_ = std::current_exception();
    // A page ends with its sheet; the frame is the page's parent. The
    // message waits in the queue until the frame is subclassed, should a
    // page be initialised first.
    const bool child = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0;
    if (child || GetPropA(hwnd, kSheetProp)) {
      PostMessageA(child ? GetParent(hwnd) : hwnd, kEndSheetMessage, 0, 0);
    } else {
      ::EndDialog(hwnd, -1);
    }
    return;
  }
  if (post_step) PostStep();
}

void Win32Ui::PostStep() {
  if (!automation_ || automated_.empty() || pending_) return;
  HWND target = automated_.back()->StepTarget();
  if (target) PostMessageA(target, kStepMessage, ++step_serial_, 0);
}

void Win32Ui::TakeStep(Automated& window, WPARAM serial) {
  if (!automation_ || automated_.empty() || automated_.back() != &window ||
      serial != step_serial_) {
    return;
  }
  const std::string waiting = window.Describe();
  // The first time a window waits: its picture, taken while the message
  // loop idles (a timer brings the step back).
  if (!screenshot_.Waiting()) screenshot_.Begin(automation_->ScreenshotFor(waiting));
  if (screenshot_.Waiting()) {
    SetTimer(window.StepTarget(), kScreenshotTimer, kScreenshotPollMs, nullptr);
    return;
  }
  screenshot_.End();
  const sim::ScriptStep step = automation_->TakeAction(waiting);
  window.Perform(step);
  PostStep();
}

namespace {

INT_PTR DialogCommand(Win32Ui& ui, DialogContext& context, HWND hwnd, WPARAM wparam,
                      LPARAM lparam) {
  (void)lparam;
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  ui.Guard(hwnd, [&] {
    // Escape and the close box arrive as IDCANCEL; a dialog with a button
    // of that id treats them as that button, as the dialog manager does.
    const ControlTemplate* button = context.Find(IDCANCEL);
    if (id == IDCANCEL && !(button && sim::IsPushButton(button->kind))) {
      context.handler().OnCancel(context);
    } else {
      context.handler().OnCommand(context, id, code);
    }
  });
  return TRUE;
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* context =
        reinterpret_cast<DialogContext*>(reinterpret_cast<PROPSHEETPAGEA*>(lparam)->lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(context));
    context->Attach(hwnd);
    BOOL result = TRUE;
    context->ui().Guard(hwnd, [&] {
      if (context->page()) context->ui().AnnouncePage(*context);
      result = context->Init();
    });
    return result;
  }
  auto* context = reinterpret_cast<DialogContext*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!context) return FALSE;
  Win32Ui& ui = context->ui();
  switch (message) {
    case WM_COMMAND:
      return DialogCommand(ui, *context, hwnd, wparam, lparam);
    case WM_HSCROLL: {
      auto* bar = reinterpret_cast<HWND>(lparam);
      if (!bar || !HasClass(bar, TRACKBAR_CLASSA)) return FALSE;
      const int code = LOWORD(wparam);
      const int position = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
      ui.Guard(hwnd, [&] {
        context->handler().OnScroll(*context, GetDlgCtrlID(bar), position, code == TB_ENDTRACK);
      });
      return TRUE;
    }
    case WM_SYSCOMMAND: {
      const auto command = static_cast<std::uint32_t>(wparam & 0xFFF0);
      ui.Guard(hwnd, [&] {
        context->handler().OnSysCommand(*context, static_cast<std::uint32_t>(wparam));
      });
      return context->HasSystemCommand(command) ? TRUE : FALSE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->hwndFrom != GetParent(hwnd)) return FALSE;
      const int code = static_cast<int>(header->code);
      ui.Guard(hwnd, [&] {
        if (code == static_cast<int>(PSN_SETACTIVE)) ui.AnnouncePage(*context);
        context->handler().OnNotify(*context, code);
        ui.PageActivated(*context, code == static_cast<int>(PSN_SETACTIVE));
      });
      SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
      return TRUE;
    }
    case WM_PAINT:
      if (IsIconic(hwnd) && context->icon()) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        GetClientRect(hwnd, &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, context->icon());
        EndPaint(hwnd, &paint);
        return TRUE;
      }
      return FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(context->icon());
    case kStepMessage:
      ui.Guard(
          hwnd, [&] { ui.TakeStep(*context, wparam); }, false);
      return TRUE;
    case WM_TIMER:
      if (wparam != kScreenshotTimer) return FALSE;
      KillTimer(hwnd, kScreenshotTimer);
      ui.Guard(
          hwnd, [&] { ui.TakeStep(*context, ui.step_serial()); }, false);
      return TRUE;
    default:
      return FALSE;
  }
}

LRESULT CALLBACK SheetFrameProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* sheet = static_cast<SheetContext*>(GetPropA(hwnd, kSheetProp));
  if (!sheet) return DefWindowProcA(hwnd, message, wparam, lparam);
  Win32Ui& ui = sheet->ui();
  const WNDPROC original = sheet->original();
  if (!sheet->ending()) {
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        ui.Guard(hwnd, [&] {
          if (id == IDCANCEL) {
            sheet->handler().OnCancel(*sheet);
          } else {
            sheet->handler().OnCommand(*sheet, id, code);
          }
        });
        return 0;
      }
      case WM_CLOSE:
        ui.Guard(hwnd, [&] { sheet->handler().OnCancel(*sheet); });
        return 0;
      case kStepMessage:
        ui.Guard(
            hwnd, [&] { ui.TakeStep(*sheet, wparam); }, false);
        return 0;
      case WM_TIMER:
        if (wparam != kScreenshotTimer) break;
        KillTimer(hwnd, kScreenshotTimer);
        ui.Guard(
            hwnd, [&] { ui.TakeStep(*sheet, ui.step_serial()); }, false);
        return 0;
      default:
        break;
    }
  }
  if (message == kEndSheetMessage) {
    sheet->EndNow();
    return 0;
  }
  if (message == WM_NCDESTROY) sheet->Unsubclass();
  return CallWindowProcA(original, hwnd, message, wparam, lparam);
}

int CALLBACK SheetCallback(HWND hwnd, UINT message, LPARAM lparam) {
  (void)lparam;
  if (message != PSCB_INITIALIZED || !g_creating_sheet) return 0;
  SheetContext* sheet = g_creating_sheet;
  sheet->Subclass(hwnd, SheetFrameProc);
  sheet->ui().Guard(hwnd, [&] { sheet->handler().OnInit(*sheet); });
  return 0;
}

}  // namespace

namespace {

bool Clickable(ControlKind kind) {
  return sim::IsPushButton(kind) || kind == ControlKind::kCheckBox ||
         kind == ControlKind::kRadioButton;
}
bool Checkable(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
}
bool IsCombo(ControlKind kind) { return kind == ControlKind::kComboBox; }
bool IsEdit(ControlKind kind) { return kind == ControlKind::kEdit; }
bool IsTrackbar(ControlKind kind) { return kind == ControlKind::kTrackbar; }

void Command(HWND window, int id, int code, HWND item) {
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item));
}

// The dialog manager's keys: Enter runs the usable default button, or IDOK.
void PressEnter(HWND window) {
  const LRESULT def = SendMessageA(window, DM_GETDEFID, 0, 0);
  const int id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
  HWND item = GetDlgItem(window, id);
  const bool usable =
      item && IsWindowEnabled(item) && (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0;
  Command(window, usable ? id : IDOK, BN_CLICKED, usable ? item : GetDlgItem(window, IDOK));
}

void PressEscape(HWND window) {
  Command(window, IDCANCEL, BN_CLICKED, GetDlgItem(window, IDCANCEL));
}

// The user's action on one control, sent the way the control itself would
// report it. `kind` is empty when the window has no such control;
// `uncheck_group` clears the other automatic radios of the control's run.
void ActOnControl(Automation& automation, const sim::ScriptStep& step, HWND window,
                  const std::string& where, std::optional<ControlKind> kind, int limit,
                  const std::function<void()>& uncheck_group) {
  using sim::StepKind;
  HWND item = GetDlgItem(window, step.id);
  if (!kind || !item) automation.Fail(step, where + " has no control " + std::to_string(step.id));
  bool (*fits)(ControlKind) = Clickable;
  std::string_view wanted = "a button";
  switch (step.kind) {
    case StepKind::kPress:
      fits = sim::IsPushButton;
      wanted = "a push button";
      break;
    case StepKind::kCheck:
    case StepKind::kUncheck:
      fits = Checkable;
      wanted = "a check box or radio button";
      break;
    case StepKind::kSelect:
      fits = IsCombo;
      wanted = "a combo box";
      break;
    case StepKind::kType:
      fits = IsEdit;
      wanted = "an edit";
      break;
    case StepKind::kSlider:
      fits = IsTrackbar;
      wanted = "a trackbar";
      break;
    default:
      break;
  }
  const std::string name = std::string(sim::ControlKindName(*kind)) + " " + std::to_string(step.id);
  if (!fits(*kind)) {
    automation.Fail(step, "control " + std::to_string(step.id) + " of " + where + " is a " +
                              std::string(sim::ControlKindName(*kind)) + ", not " +
                              std::string(wanted));
  }
  if ((GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) == 0) {
    automation.Fail(step, name + " of " + where + " is hidden");
  }
  if (!IsWindowEnabled(item)) automation.Fail(step, name + " of " + where + " is disabled");
  SetFocus(item);
  switch (step.kind) {
    case StepKind::kClick:
    case StepKind::kPress:
      SendMessageA(item, BM_CLICK, 0, 0);
      break;
    case StepKind::kCheck:
    case StepKind::kUncheck: {
      const bool checked = step.kind == StepKind::kCheck;
      if (checked && uncheck_group) uncheck_group();
      SendMessageA(item, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
      Command(window, step.id, BN_CLICKED, item);
      break;
    }
    case StepKind::kSelect: {
      const auto count = static_cast<int>(SendMessageA(item, CB_GETCOUNT, 0, 0));
      if (step.value < 0 || step.value >= count) {
        automation.Fail(step, "combo " + std::to_string(step.id) + " has " + std::to_string(count) +
                                  " items, no item " + std::to_string(step.value));
      }
      SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(step.value), 0);
      Command(window, step.id, CBN_SELCHANGE, item);
      break;
    }
    case StepKind::kType: {
      // As typed: a digits-only edit refuses other keys, the limit cuts.
      std::string typed = step.text;
      if (GetWindowLongA(item, GWL_STYLE) & ES_NUMBER) {
        std::erase_if(typed, [](char c) { return c < '0' || c > '9'; });
      }
      if (limit > 0 && typed.size() > static_cast<std::size_t>(limit)) {
        typed.resize(static_cast<std::size_t>(limit));
      }
      SetWindowTextA(item, typed.c_str());  // EN_CHANGE follows
      break;
    }
    case StepKind::kSlider: {
      SendMessageA(item, TBM_SETPOS, TRUE, step.value);
      const auto position = static_cast<WORD>(SendMessageA(item, TBM_GETPOS, 0, 0));
      SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                   reinterpret_cast<LPARAM>(item));
      SendMessageA(window, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(item));
      break;
    }
    default:
      break;
  }
}

}  // namespace

void DialogContext::Perform(const sim::ScriptStep& step) {
  using sim::StepKind;
  Automation& automation = *ui_.automation();
  const std::string where = "window " + std::to_string(dialog_.id);
  switch (step.kind) {
    case StepKind::kDump:
      for (const std::string& line : ReadModel().Dump()) automation.Line(line);
      return;
    case StepKind::kTab:
      automation.Fail(step, where + " has no tabs");
    case StepKind::kSysMenu:
      if (step.id < 0 || !HasSystemCommand(static_cast<std::uint32_t>(step.id))) {
        automation.Fail(step, where + " has no system-menu command " + std::to_string(step.id));
      }
      SendMessageA(hwnd_, WM_SYSCOMMAND, static_cast<WPARAM>(step.id), 0);
      return;
    case StepKind::kKeyEnter:
      PressEnter(hwnd_);
      return;
    case StepKind::kKeyEscape:
      PressEscape(hwnd_);
      return;
    default:
      break;
  }
  const ControlTemplate* control = Find(step.id);
  const auto uncheck_group = [this, control] {
    // The automatic radios of the run around the control, as the sim does.
    if (!control || control->kind != ControlKind::kRadioButton ||
        (control->style & kStyleAutoCheck) == 0) {
      return;
    }
    const auto at = static_cast<std::size_t>(control - dialog_.controls.data());
    for (std::size_t i = at; i-- > 0 && dialog_.controls[i].kind == ControlKind::kRadioButton;) {
      CheckDlgButton(hwnd_, dialog_.controls[i].id, BST_UNCHECKED);
    }
    for (std::size_t i = at + 1;
         i < dialog_.controls.size() && dialog_.controls[i].kind == ControlKind::kRadioButton;
         ++i) {
      CheckDlgButton(hwnd_, dialog_.controls[i].id, BST_UNCHECKED);
    }
  };
  ActOnControl(automation, step, hwnd_, where,
               control ? std::optional(control->kind) : std::nullopt, Limit(step.id),
               uncheck_group);
}

std::vector<std::string> SheetContext::Dump() {
  const int active = ActivePageIndex();
  std::string line = "sheet " + sim::QuoteScriptString(sheet_.caption) + " tabs";
  for (std::size_t i = 0; i < sheet_.pages.size(); ++i) {
    const std::string title(sheet_.pages[i].dialog->title);
    line += " " + sim::QuoteScriptString(static_cast<int>(i) == active ? "[" + title + "]" : title);
  }
  std::vector<std::string> lines{line};
  if (DialogContext* page = ActivePage()) {
    for (const std::string& control : page->ReadModel().Dump()) lines.push_back(control);
  }
  sim::WindowModel frame(sim::SheetFrameTemplate(sheet_));
  for (const ControlTemplate& button : added_) frame.AddControl(button);
  for (sim::ControlState& control : frame.controls()) {
    if (HWND item = Item(control.id)) ReadBack(item, control, 0);
  }
  ReadDefaultAndFocus(hwnd_, frame);
  for (const std::string& control : frame.Dump()) lines.push_back(control);
  return lines;
}

void SheetContext::Perform(const sim::ScriptStep& step) {
  using sim::StepKind;
  Automation& automation = *ui_.automation();
  switch (step.kind) {
    case StepKind::kTab:
      for (std::size_t i = 0; i < sheet_.pages.size(); ++i) {
        if (sheet_.pages[i].dialog->title == step.text) {
          SetActivePage(static_cast<int>(i));
          return;
        }
      }
      automation.Fail(step, "the sheet has no tab " + sim::QuoteScriptString(step.text));
    case StepKind::kDump:
      for (const std::string& line : Dump()) automation.Line(line);
      return;
    case StepKind::kKeyEnter:
      PressEnter(hwnd_);
      return;
    case StepKind::kKeyEscape:
      PressEscape(hwnd_);
      return;
    case StepKind::kSysMenu:
      automation.Fail(step, "window 0 has no system-menu command " + std::to_string(step.id));
    default:
      break;
  }
  DialogContext* page = ActivePage();
  if (page && page->Find(step.id)) {
    page->Perform(step);
    return;
  }
  const bool has = Item(step.id) != nullptr;
  ActOnControl(automation, step, hwnd_, "window 0",
               has ? std::optional(ControlKind::kPushButton) : std::nullopt, 0, {});
}

Win32Ui::Win32Ui(HINSTANCE instance)
    : instance_(instance), automation_(Automation::FromEnvironment()) {
  // The trackbar and progress classes; 3-D controls are the default since
  // Windows 95.
  InitCommonControls();
}

Win32Ui::~Win32Ui() = default;

int Win32Ui::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  if (automation_) return automation_->MessageBox(text, caption, type);
  const std::string text_z(text), caption_z(caption);
  return MessageBoxA(Owner(), text_z.c_str(), caption_z.c_str(), type);
}

int Win32Ui::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  if (automation_) automation_->WindowShown(dialog.id, dialog.title);
  const std::vector<std::uint8_t> bytes =
      BuildDialogTemplate(dialog, TemplateUse::kDialog, [this](int id) { return IsIcon(id); });
  DialogContext context(*this, dialog, handler, false);
  // WM_INITDIALOG's lParam reads like a page's, so one procedure serves both.
  PROPSHEETPAGEA carrier{};
  carrier.lParam = reinterpret_cast<LPARAM>(&context);
  const HWND owner = Owner();
  automated_.push_back(&context);
  const INT_PTR result =
      DialogBoxIndirectParamA(instance_, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner,
                              DialogProc, reinterpret_cast<LPARAM>(&carrier));
  automated_.pop_back();
  RethrowPending();
  if (result == -1) {
    MessageBoxA(Owner(), "The window could not be opened.", "tunora", MB_OK | MB_ICONSTOP);
    return -1;
  }
  PostStep();
  return static_cast<int>(result);
}

int Win32Ui::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  if (automation_) automation_->SheetShown(sheet.caption);
  SheetContext context(*this, sheet, handler);
  std::vector<std::vector<std::uint8_t>> templates;
  std::vector<std::string> titles;
  templates.reserve(sheet.pages.size());
  titles.reserve(sheet.pages.size());
  // The first versions of both records, which every common-controls
  // release takes (the one NT 4 first shipped with refuses larger ones); the pages
  // are read at the stride their size gives.
  std::vector<PROPSHEETPAGEA_V1> pages;
  for (const SheetPage& page : sheet.pages) {
    templates.push_back(BuildDialogTemplate(*page.dialog, TemplateUse::kPage,
                                            [this](int id) { return IsIcon(id); }));
    titles.emplace_back(page.dialog->title);
    context.pages().push_back(
        std::make_unique<DialogContext>(*this, *page.dialog, *page.handler, true));
    PROPSHEETPAGEA_V1 entry{};
    entry.dwSize = sizeof entry;
    entry.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    entry.hInstance = instance_;
    entry.pResource = reinterpret_cast<LPCDLGTEMPLATEA>(templates.back().data());
    entry.pszTitle = titles.back().c_str();
    entry.pfnDlgProc = DialogProc;
    entry.lParam = reinterpret_cast<LPARAM>(context.pages().back().get());
    pages.push_back(entry);
  }
  const std::string caption(sheet.caption);
  PROPSHEETHEADERA header{};
  header.dwSize = PROPSHEETHEADERA_V1_SIZE;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
  header.hwndParent = Owner();
  header.hInstance = instance_;
  header.pszCaption = caption.c_str();
  header.nPages = static_cast<UINT>(pages.size());
  header.nStartPage = static_cast<UINT>(std::max(sheet.start_page, 0));
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages.data());
  header.pfnCallback = SheetCallback;

  SheetContext* outer = g_creating_sheet;
  g_creating_sheet = &context;
  automated_.push_back(&context);
  const INT_PTR opened = PropertySheetA(&header);
  automated_.pop_back();
  g_creating_sheet = outer;
  RethrowPending();
  if (opened == -1) {
    // Nothing was shown: say so rather than look like a Cancel.
    MessageBoxA(Owner(), "The property sheet could not be opened.", "tunora", MB_OK | MB_ICONSTOP);
    return 0;
  }
  PostStep();
  return context.result();
}

HWND Win32Ui::Owner() const {
  return automated_.empty() ? nullptr : automated_.back()->StepTarget();
}

void Win32Ui::BeginWaitCursor() {
  if (wait_depth_++ == 0) saved_cursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
}

void Win32Ui::EndWaitCursor() {
  if (wait_depth_ > 0 && --wait_depth_ == 0) SetCursor(saved_cursor_);
}

void Win32Ui::Event(std::string_view line) {
  if (automation_) automation_->Line(line);
}

int Win32Ui::FinishRun(int exit_code) {
  return automation_ ? automation_->Finish(exit_code) : exit_code;
}

bool Win32Ui::IsIcon(int id) const {
  return FindResourceA(instance_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14)) != nullptr;
}

void Win32Ui::RethrowPending() {
  if (pending_) {
    // An outer window's guard catches it in turn and ends that window too.
    std::exception_ptr pending = pending_;
    pending_ = nullptr;
    std::rethrow_exception(pending);
  }
}

void Win32Ui::AnnouncePage(DialogContext& page) {
  if (page.announced) return;
  page.announced = true;
  if (automation_) automation_->WindowShown(page.dialog().id, page.dialog().title);
}

void Win32Ui::PageActivated(DialogContext& page, bool activated) {
  // The next activation is a window shown again.
  if (activated) page.announced = false;
}

}  // namespace tunora::win32
