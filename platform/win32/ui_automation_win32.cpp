// Script steps on the adapter's real windows: each action sent the way
// the user's own input would arrive, checked and failed with the texts
// the scripted UI uses, and `dump` read back from the controls.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/sheet_model.h"
#include "platform/win32/automation.h"
#include "platform/win32/ui_windows.h"

namespace tunora::win32 {
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

sim::WindowModel DialogContext::ReadModel() const {
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

std::string DialogContext::Describe() const { return sim::WindowLine(dialog_.id, dialog_.title); }

std::string SheetContext::Describe() const {
  std::string text = "sheet " + sim::QuoteScriptString(sheet_.caption);
  if (DialogContext* page = const_cast<SheetContext*>(this)->ActivePage()) {
    text += " on " + page->Describe();
  }
  return text;
}

namespace {

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
void ActOnControl(Automation& automation, const sim::ScriptStep& step, HWND window, int window_id,
                  std::optional<ControlKind> kind, int limit,
                  const std::function<void()>& uncheck_group) {
  using sim::StepKind;
  HWND item = GetDlgItem(window, step.id);
  std::optional<sim::ControlFound> found;
  if (kind && item) {
    found = sim::ControlFound{*kind, (GetWindowLongA(item, GWL_STYLE) & WS_VISIBLE) != 0,
                              IsWindowEnabled(item) != FALSE};
  }
  automation.CheckControl(step, window_id, found ? &*found : nullptr);
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
      automation.CheckComboItem(step, count);
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
  switch (step.kind) {
    case StepKind::kDump:
      for (const std::string& line : ReadModel().Dump()) automation.Line(line);
      return;
    case StepKind::kTab:
      automation.FailNoTabs(step, dialog_.id);
    case StepKind::kSysMenu:
      automation.CheckSystemCommand(step, dialog_.id,
                                    HasSystemCommand(static_cast<std::uint32_t>(step.id)));
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
  ActOnControl(automation, step, hwnd_, dialog_.id,
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
    case StepKind::kTab: {
      std::vector<std::string> titles;
      for (const SheetPage& page : sheet_.pages) titles.emplace_back(page.dialog->title);
      SetActivePage(static_cast<int>(automation.FindTab(step, titles)));
      return;
    }
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
      // The frame's system menu has no commands of the program's.
      automation.CheckSystemCommand(step, 0, false);
      return;
    default:
      break;
  }
  DialogContext* page = ActivePage();
  if (page && page->Find(step.id)) {
    page->Perform(step);
    return;
  }
  const bool has = Item(step.id) != nullptr;
  ActOnControl(automation, step, hwnd_, 0,
               has ? std::optional(ControlKind::kPushButton) : std::nullopt, 0, {});
}

}  // namespace tunora::win32
