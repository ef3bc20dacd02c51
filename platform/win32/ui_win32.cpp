#include "platform/win32/ui_win32.h"

// The adapter itself: the window procedures, the parked exceptions and
// the modal calls. The script steps on its windows are in
// ui_automation_win32.cpp.
#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/automation.h"
#include "platform/win32/dlgtemplate.h"
#include "platform/win32/screenshot.h"
#include "platform/win32/ui_windows.h"

namespace tunora::win32 {
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
  window.Perform(automation_->TakeAction(waiting));
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
  if (automation_) automation_->Shown(dialog.id, dialog.title);
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
  if (automation_) automation_->SheetOpened(sheet.caption);
  SheetContext context(*this, sheet, handler);
  std::vector<std::vector<std::uint8_t>> templates;
  std::vector<std::string> titles;
  templates.reserve(sheet.pages.size());
  titles.reserve(sheet.pages.size());
  // The first versions of both records, which every common-controls
  // release takes (the original NT 4 one refuses larger ones); the pages
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
  if (automation_) automation_->Shown(page.dialog().id, page.dialog().title);
}

void Win32Ui::PageActivated(DialogContext& page, bool activated) {
  // The next activation is a window shown again.
  if (activated) page.announced = false;
}

}  // namespace tunora::win32
