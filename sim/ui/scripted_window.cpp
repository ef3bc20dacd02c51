#include "sim/ui/scripted_window.h"

namespace tunora::sim {
namespace {

std::string ControlName(const ControlState& control) {
  return std::string(ControlKindName(control.kind)) + " " + std::to_string(control.id);
}

// The control a step acts on: it must exist, be shown and be enabled, and
// be of a kind the step can work.
ControlState& Target(ScriptedUi& ui, const ScriptStep& step, WindowModel& window,
                     bool (*fits)(ControlKind), std::string_view wanted) {
  ControlState* control = window.Find(step.id);
  const std::string where = "window " + std::to_string(window.dialog_id());
  if (!control) ui.Fail(step, where + " has no control " + std::to_string(step.id));
  if (!fits(control->kind)) {
    ui.Fail(step, "control " + std::to_string(step.id) + " of " + where + " is a " +
                      std::string(ControlKindName(control->kind)) + ", not " + std::string(wanted));
  }
  if (!control->visible) ui.Fail(step, ControlName(*control) + " of " + where + " is hidden");
  if (!control->enabled) ui.Fail(step, ControlName(*control) + " of " + where + " is disabled");
  return *control;
}

bool Clickable(ControlKind kind) {
  return IsPushButton(kind) || kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
}
bool Checkable(ControlKind kind) {
  return kind == ControlKind::kCheckBox || kind == ControlKind::kRadioButton;
}
bool IsCombo(ControlKind kind) { return kind == ControlKind::kComboBox; }
bool IsEdit(ControlKind kind) { return kind == ControlKind::kEdit; }
bool IsTrackbar(ControlKind kind) { return kind == ControlKind::kTrackbar; }

void Click(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler,
           bool (*fits)(ControlKind), std::string_view wanted) {
  Target(ui, step, window, fits, wanted);
  window.SetFocus(step.id);
  window.UserClick(step.id);
  handler.OnCommand(window, step.id, kBnClicked);
}

void SetCheck(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window, Checkable, "a check box or radio button");
  window.SetFocus(step.id);
  window.UserSetCheck(step.id, step.kind == StepKind::kCheck);
  handler.OnCommand(window, step.id, kBnClicked);
}

void Select(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  const ControlState& combo = Target(ui, step, window, IsCombo, "a combo box");
  const int count = static_cast<int>(combo.items.size());
  if (step.value < 0 || step.value >= count) {
    ui.Fail(step, "combo " + std::to_string(step.id) + " has " + std::to_string(count) +
                      " items, no item " + std::to_string(step.value));
  }
  window.SetFocus(step.id);
  window.ComboSetSelection(step.id, step.value);
  handler.OnCommand(window, step.id, kCbnSelChange);
}

void Type(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window, IsEdit, "an edit");
  window.SetFocus(step.id);
  window.UserType(step.id, step.text);
  handler.OnCommand(window, step.id, kEnChange);
}

void Slide(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window, IsTrackbar, "a trackbar");
  window.SetFocus(step.id);
  const int position = window.UserSlide(step.id, step.value);
  handler.OnScroll(window, step.id, position, false);
  handler.OnScroll(window, step.id, position, true);
}

// Enter runs the default button's command, or IDOK when there is no usable
// default button (the dialog manager's rule).
void Enter(WindowModel& window, DialogHandler& handler) {
  const int id = window.default_button();
  if (id != kNoControlId && window.IsUsable(id)) {
    handler.OnCommand(window, id, kBnClicked);
  } else {
    handler.OnCommand(window, kIdOk, kBnClicked);
  }
}

void SystemCommand(ScriptedUi& ui, const ScriptStep& step, WindowModel& window,
                   DialogHandler& handler) {
  const auto command = static_cast<std::uint32_t>(step.id);
  if (step.id < 0 || !window.HasSystemCommand(command)) {
    ui.Fail(step, "window " + std::to_string(window.dialog_id()) + " has no system-menu command " +
                      std::to_string(step.id));
  }
  handler.OnSysCommand(window, command);
}

}  // namespace

std::string WindowLine(const WindowModel& window) {
  return "window " + std::to_string(window.dialog_id()) + " " + QuoteScriptString(window.title());
}

void RunScriptedWindow(ScriptedUi& ui, ScriptedWindow& window) {
  while (!window.Ended()) {
    const ScriptStep* step = ui.Peek();
    if (!step) ui.FailAtEnd("waits for the user in " + window.Describe());
    if (IsExpectStep(*step)) {
      ui.Mismatch(*step, "waits for the user in " + window.Describe());
    }
    const ScriptStep& action = ui.Take();
    ui.Echo(action);
    window.Perform(action);
  }
}

void PerformControlStep(ScriptedUi& ui, const ScriptStep& step, WindowModel& window,
                        DialogHandler& handler) {
  switch (step.kind) {
    case StepKind::kClick:
      Click(ui, step, window, handler, Clickable, "a button");
      break;
    case StepKind::kPress:
      Click(ui, step, window, handler, IsPushButton, "a push button");
      break;
    case StepKind::kCheck:
    case StepKind::kUncheck:
      SetCheck(ui, step, window, handler);
      break;
    case StepKind::kSelect:
      Select(ui, step, window, handler);
      break;
    case StepKind::kType:
      Type(ui, step, window, handler);
      break;
    case StepKind::kSlider:
      Slide(ui, step, window, handler);
      break;
    case StepKind::kKeyEnter:
      Enter(window, handler);
      break;
    case StepKind::kKeyEscape:
      handler.OnCancel(window);
      break;
    case StepKind::kSysMenu:
      SystemCommand(ui, step, window, handler);
      break;
    case StepKind::kDump:
      for (const std::string& line : window.Dump()) ui.transcript() << line << '\n';
      break;
    case StepKind::kTab:
      ui.Fail(step, "window " + std::to_string(window.dialog_id()) + " has no tabs");
    case StepKind::kExpectMessage:
    case StepKind::kExpectWindow:
      ui.Mismatch(step, "waits for the user in " + WindowLine(window));
  }
}

void ScriptedDialog::Perform(const ScriptStep& step) {
  PerformControlStep(ui_, step, window_, handler_);
}

std::string ScriptedSheet::Describe() const {
  const WindowModel* page = sheet_.ActiveWindow();
  return "sheet " + QuoteScriptString(sheet_.caption()) +
         (page ? " on " + WindowLine(*page) : std::string());
}

void ScriptedSheet::Perform(const ScriptStep& step) {
  SheetFrameHandler frame_handler(sheet_);
  switch (step.kind) {
    case StepKind::kTab: {
      const int index = sheet_.FindPage(step.text);
      if (index < 0) {
        std::string tabs;
        for (int i = 0; i < sheet_.page_count(); ++i) {
          tabs += (tabs.empty() ? "" : " ") + QuoteScriptString(sheet_.PageTitle(i));
        }
        ui_.Fail(step, "the sheet has no tab " + QuoteScriptString(step.text) +
                           " (its tabs: " + tabs + ")");
      }
      sheet_.SetActivePage(index);
      return;
    }
    case StepKind::kDump:
      for (const std::string& line : sheet_.Dump()) ui_.transcript() << line << '\n';
      return;
    case StepKind::kKeyEscape:
    case StepKind::kKeyEnter:
    case StepKind::kSysMenu:
      PerformControlStep(ui_, step, sheet_.frame(), frame_handler);
      return;
    default:
      break;
  }
  WindowModel* page = sheet_.ActiveWindow();
  if (page && page->Find(step.id)) {
    PerformControlStep(ui_, step, *page, *sheet_.ActiveHandler());
  } else {
    PerformControlStep(ui_, step, sheet_.frame(), frame_handler);
  }
}

}  // namespace tunora::sim
