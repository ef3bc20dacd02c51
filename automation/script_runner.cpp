#include "automation/script_runner.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "automation/message_box_rules.h"
#include "automation/window_model.h"

namespace tunora::sim {
namespace {

// What the step waits for, in the words of "expected ..., but".
std::string Expected(const ScriptStep& step) {
  switch (step.kind) {
    case StepKind::kExpectWindow:
      return "window " + std::to_string(step.id);
    case StepKind::kExpectMessage:
      return "message " + QuoteScriptString(step.text);
    default:
      return FormatStep(step);
  }
}

std::string ButtonList(const std::vector<int>& buttons) {
  std::string list;
  for (const int id : buttons) list += (list.empty() ? "" : " ") + std::to_string(id);
  return list;
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

// The controls a step works, and their name in a failure.
struct StepTarget {
  bool (*fits)(ControlKind);
  std::string_view wanted;
};

StepTarget TargetOf(StepKind kind) {
  switch (kind) {
    case StepKind::kPress:
      return {IsPushButton, "a push button"};
    case StepKind::kCheck:
    case StepKind::kUncheck:
      return {Checkable, "a check box or radio button"};
    case StepKind::kSelect:
      return {IsCombo, "a combo box"};
    case StepKind::kType:
      return {IsEdit, "an edit"};
    case StepKind::kSlider:
      return {IsTrackbar, "a trackbar"};
    default:
      return {Clickable, "a button"};
  }
}

}  // namespace

std::string WindowLine(int id, std::string_view title) {
  return "window " + std::to_string(id) + " " + QuoteScriptString(title);
}

ScriptRunner::ScriptRunner(UiScript script) : script_(std::move(script)) {}

const ScriptStep* ScriptRunner::Peek() const {
  return next_ < script_.steps.size() ? &script_.steps[next_] : nullptr;
}

const ScriptStep& ScriptRunner::Take() { return script_.steps.at(next_++); }

void ScriptRunner::Echo(const ScriptStep& step) {
  if (step.kind != StepKind::kDump) Line(FormatStep(step));
}

void ScriptRunner::End(const std::string& message, int line) {
  Abort(message, line);
  std::terminate();  // Abort does not return
}

void ScriptRunner::Fail(const ScriptStep& step, const std::string& what) {
  End(script_.file_name + ":" + std::to_string(step.line) + ": " + FormatStep(step) + ": " + what,
      step.line);
}

std::string ScriptRunner::MismatchText(const ScriptStep& step, const std::string& what) const {
  return script_.file_name + ":" + std::to_string(step.line) + ": expected " + Expected(step) +
         ", but the program " + what;
}

void ScriptRunner::Mismatch(const ScriptStep& step, const std::string& what) {
  End(MismatchText(step, what), step.line);
}

void ScriptRunner::FailAtEnd(const std::string& what) {
  const int line = std::max(1, script_.line_count);
  End(script_.file_name + ":" + std::to_string(line) + ": the script ended, but the program " +
          what,
      line);
}

void ScriptRunner::WindowShown(int id, std::string_view title) {
  const std::string line = WindowLine(id, title);
  Line(line);
  const ScriptStep* expect = Peek();
  if (!expect) FailAtEnd("showed " + line);
  if (expect->kind != StepKind::kExpectWindow || expect->id != id) {
    Mismatch(*expect, "showed " + line);
  }
  Take();
}

void ScriptRunner::SheetShown(std::string_view caption) {
  Line("sheet " + QuoteScriptString(caption));
}

int ScriptRunner::AnswerMessageBox(std::string_view text, std::string_view caption,
                                   std::uint32_t type) {
  Line("message " + QuoteScriptString(text) + " caption " + QuoteScriptString(caption));
  const std::string shown = "showed message " + QuoteScriptString(text);
  const ScriptStep* expect = Peek();
  if (!expect) FailAtEnd(shown);
  if (expect->kind != StepKind::kExpectMessage || expect->text != text) Mismatch(*expect, shown);
  Take();

  const ScriptStep* answer = Peek();
  const bool answered =
      answer && (answer->kind == StepKind::kPress || answer->kind == StepKind::kKeyEnter ||
                 answer->kind == StepKind::kKeyEscape);
  if (!answered) return MessageBoxDefault(type);
  Take();
  Echo(*answer);
  if (answer->kind == StepKind::kKeyEnter) return MessageBoxDefault(type);
  if (answer->kind == StepKind::kKeyEscape) {
    const int result = MessageBoxEscape(type);
    if (result == 0) Fail(*answer, "this message box cannot be closed with Escape");
    return result;
  }
  const std::vector<int> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), answer->id) == buttons.end()) {
    Fail(*answer, "the message box has no button " + std::to_string(answer->id) +
                      " (its buttons: " + ButtonList(buttons) + ")");
  }
  return answer->id;
}

const ScriptStep& ScriptRunner::TakeAction(const std::string& waiting) {
  const ScriptStep* step = Peek();
  if (!step) FailAtEnd("waits for the user in " + waiting);
  if (IsExpectStep(*step)) Mismatch(*step, "waits for the user in " + waiting);
  const ScriptStep& action = Take();
  Echo(action);
  return action;
}

void ScriptRunner::CheckFinished(int exit_code) {
  if (const ScriptStep* step = Peek()) {
    Mismatch(*step, "ended with exit code " + std::to_string(exit_code));
  }
}

void ScriptRunner::CheckControl(const ScriptStep& step, int window_id,
                                const ControlFound* control) {
  const std::string where = "window " + std::to_string(window_id);
  if (!control) Fail(step, where + " has no control " + std::to_string(step.id));
  const std::string kind(ControlKindName(control->kind));
  const StepTarget target = TargetOf(step.kind);
  if (!target.fits(control->kind)) {
    Fail(step, "control " + std::to_string(step.id) + " of " + where + " is a " + kind + ", not " +
                   std::string(target.wanted));
  }
  const std::string name = kind + " " + std::to_string(step.id);
  if (!control->visible) Fail(step, name + " of " + where + " is hidden");
  if (!control->enabled) Fail(step, name + " of " + where + " is disabled");
}

void ScriptRunner::CheckComboItem(const ScriptStep& step, int count) {
  if (step.value < 0 || step.value >= count) {
    Fail(step, "combo " + std::to_string(step.id) + " has " + std::to_string(count) +
                   " items, no item " + std::to_string(step.value));
  }
}

void ScriptRunner::CheckSystemCommand(const ScriptStep& step, int window_id, bool has_command) {
  if (step.id < 0 || !has_command) {
    Fail(step, "window " + std::to_string(window_id) + " has no system-menu command " +
                   std::to_string(step.id));
  }
}

std::size_t ScriptRunner::FindTab(const ScriptStep& step, const std::vector<std::string>& titles) {
  const auto found = std::find(titles.begin(), titles.end(), step.text);
  if (found != titles.end()) return static_cast<std::size_t>(found - titles.begin());
  std::string tabs;
  for (const std::string& title : titles) {
    tabs += (tabs.empty() ? "" : " ") + QuoteScriptString(title);
  }
  Fail(step, "the sheet has no tab " + QuoteScriptString(step.text) + " (its tabs: " + tabs + ")");
}

void ScriptRunner::FailNoTabs(const ScriptStep& step, int window_id) {
  Fail(step, "window " + std::to_string(window_id) + " has no tabs");
}

}  // namespace tunora::sim
