#include "sim/ui/scripted_window.h"

namespace tunora::sim {
namespace {

// The control a step acts on: it must exist, be shown and be enabled, and
// be of a kind the step can work.
ControlState& Target(ScriptedUi& ui, const ScriptStep& step, WindowModel& window) {
  ControlState* control = window.Find(step.id);
  const ControlFound found =
      control ? ControlFound{control->kind, control->visible, control->enabled} : ControlFound{};
  ui.CheckControl(step, window.dialog_id(), control ? &found : nullptr);
  return *control;
}

void Click(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window);
  window.SetFocus(step.id);
  window.UserClick(step.id);
  handler.OnCommand(window, step.id, kBnClicked);
}

void SetCheck(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window);
  window.SetFocus(step.id);
  window.UserSetCheck(step.id, step.kind == StepKind::kCheck);
  handler.OnCommand(window, step.id, kBnClicked);
}

void Select(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  const ControlState& combo = Target(ui, step, window);
  ui.CheckComboItem(step, static_cast<int>(combo.items.size()));
  window.SetFocus(step.id);
  window.ComboSetSelection(step.id, step.value);
  handler.OnCommand(window, step.id, kCbnSelChange);
}

void Type(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window);
  window.SetFocus(step.id);
  window.UserType(step.id, step.text);
  handler.OnCommand(window, step.id, kEnChange);
}

void Slide(ScriptedUi& ui, const ScriptStep& step, WindowModel& window, DialogHandler& handler) {
  Target(ui, step, window);
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
  ui.CheckSystemCommand(step, window.dialog_id(), window.HasSystemCommand(command));
  handler.OnSysCommand(window, command);
}

}  // namespace

std::string WindowLine(const WindowModel& window) {
  return WindowLine(window.dialog_id(), window.title());
}

void RunScriptedWindow(ScriptedUi& ui, ScriptedWindow& window) {
  while (!window.Ended()) window.Perform(ui.TakeAction(window.Describe()));
}

void PerformControlStep(ScriptedUi& ui, const ScriptStep& step, WindowModel& window,
                        DialogHandler& handler) {
  switch (step.kind) {
    case StepKind::kClick:
    case StepKind::kPress:
      Click(ui, step, window, handler);
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
      for (const std::string& line : window.Dump()) ui.Line(line);
      break;
    case StepKind::kTab:
      ui.FailNoTabs(step, window.dialog_id());
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
      std::vector<std::string> titles;
      for (int i = 0; i < sheet_.page_count(); ++i) titles.emplace_back(sheet_.PageTitle(i));
      sheet_.SetActivePage(static_cast<int>(ui_.FindTab(step, titles)));
      return;
    }
    case StepKind::kDump:
      for (const std::string& line : sheet_.Dump()) ui_.Line(line);
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
