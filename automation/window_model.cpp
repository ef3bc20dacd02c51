#include "automation/window_model.h"

#include <algorithm>
#include <utility>

#include "automation/ui_script.h"

namespace tunora::sim {

std::string_view ControlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton:
    case ControlKind::kDefPushButton:
      return "button";
    case ControlKind::kCheckBox:
      return "checkbox";
    case ControlKind::kRadioButton:
      return "radio";
    case ControlKind::kGroupBox:
      return "group";
    case ControlKind::kStatic:
      return "static";
    case ControlKind::kPicture:
      return "picture";
    case ControlKind::kEdit:
      return "edit";
    case ControlKind::kComboBox:
      return "combo";
    case ControlKind::kTrackbar:
      return "trackbar";
    case ControlKind::kProgress:
      return "progress";
  }
  return "control";
}

bool IsInteractive(ControlKind kind) {
  switch (kind) {
    case ControlKind::kGroupBox:
    case ControlKind::kStatic:
    case ControlKind::kPicture:
    case ControlKind::kProgress:
      return false;
    default:
      return true;
  }
}

bool IsPushButton(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefPushButton;
}

WindowModel::WindowModel(const DialogTemplate& dialog)
    : dialog_id_(dialog.id),
      has_close_box_((dialog.flags & kDialogNoCloseBox) == 0),
      title_(dialog.title),
      width_(dialog.width),
      height_(dialog.height) {
  controls_.reserve(dialog.controls.size());
  for (const ControlTemplate& t : dialog.controls) AddControl(t);
}

void WindowModel::AddControl(const ControlTemplate& t) {
  ControlState control;
  control.id = t.id;
  control.kind = t.kind;
  control.style = t.style;
  control.x = t.x;
  control.y = t.y;
  control.width = t.width;
  control.height = t.height;
  control.text = std::string(t.text);
  control.items.assign(t.items.begin(), t.items.end());
  control.enabled = (t.style & kStyleDisabled) == 0;
  control.visible = (t.style & kStyleHidden) == 0;
  if (t.kind == ControlKind::kDefPushButton && default_button_ == kNoControlId) {
    default_button_ = t.id;
  }
  controls_.push_back(std::move(control));
}

const ControlState* WindowModel::Find(int id) const {
  for (const ControlState& control : controls_) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

ControlState* WindowModel::Find(int id) {
  return const_cast<ControlState*>(std::as_const(*this).Find(id));
}

void WindowModel::SetText(int id, std::string_view text) {
  if (ControlState* control = Find(id)) control->text = std::string(text);
}

std::string WindowModel::GetText(int id) {
  const ControlState* control = Find(id);
  return control ? control->text : std::string();
}

void WindowModel::SetCheck(int id, bool checked) {
  if (ControlState* control = Find(id)) control->checked = checked;
}

bool WindowModel::IsChecked(int id) {
  const ControlState* control = Find(id);
  return control && control->checked;
}

void WindowModel::Enable(int id, bool enabled) {
  if (ControlState* control = Find(id)) control->enabled = enabled;
}

void WindowModel::Show(int id, bool visible) {
  if (ControlState* control = Find(id)) control->visible = visible;
}

void WindowModel::SetDefaultButton(int id) {
  if (Find(id)) default_button_ = id;
}

void WindowModel::SetFocus(int id) {
  if (Find(id)) focus_ = id;
}

void WindowModel::ComboReset(int id) {
  if (ControlState* control = Find(id)) {
    control->items.clear();
    control->selection = -1;
    control->text.clear();
  }
}

void WindowModel::ComboAdd(int id, std::string_view item) {
  if (ControlState* control = Find(id)) control->items.emplace_back(item);
}

void WindowModel::ComboSetSelection(int id, int index) {
  ControlState* control = Find(id);
  if (!control) return;
  // Like CB_SETCURSEL: an index out of range clears the selection.
  if (index < 0 || index >= static_cast<int>(control->items.size())) {
    control->selection = -1;
    control->text.clear();
    return;
  }
  control->selection = index;
  control->text = control->items[static_cast<std::size_t>(index)];
}

int WindowModel::ComboSelection(int id) {
  const ControlState* control = Find(id);
  return control ? control->selection : -1;
}

void WindowModel::SetRange(int id, int low, int high) {
  ControlState* control = Find(id);
  if (!control) return;
  control->low = low;
  control->high = std::max(low, high);
  control->position = std::clamp(control->position, control->low, control->high);
}

void WindowModel::SetPosition(int id, int position) {
  if (ControlState* control = Find(id)) {
    control->position = std::clamp(position, control->low, control->high);
  }
}

int WindowModel::Position(int id) {
  const ControlState* control = Find(id);
  return control ? control->position : 0;
}

void WindowModel::SetTextLimit(int id, int limit) {
  if (ControlState* control = Find(id)) control->limit = std::max(limit, 0);
}

void WindowModel::AppendSystemMenu(std::uint32_t command, std::string_view text) {
  system_menu_.push_back(SystemMenuEntry{command, std::string(text)});
}

void WindowModel::EndDialog(int result) {
  ended_ = true;
  result_ = result;
}

bool WindowModel::HasSystemCommand(std::uint32_t command) const {
  return std::any_of(system_menu_.begin(), system_menu_.end(),
                     [command](const SystemMenuEntry& entry) { return entry.command == command; });
}

bool WindowModel::IsUsable(int id) const {
  const ControlState* control = Find(id);
  return control && control->enabled && control->visible;
}

bool StartsKeyboardGroupAt(const std::vector<ControlState>& controls, std::size_t index) {
  const bool previous_is_radio = index > 0 && controls[index - 1].kind == ControlKind::kRadioButton;
  return StartsKeyboardGroup(controls[index].kind, controls[index].style, previous_is_radio);
}

void WindowModel::UncheckRadioGroup(const ControlState& chosen) {
  const auto at = static_cast<std::size_t>(&chosen - controls_.data());
  std::size_t first = at;
  while (!StartsKeyboardGroupAt(controls_, first)) --first;
  std::size_t end = at + 1;
  while (end < controls_.size() && !StartsKeyboardGroupAt(controls_, end)) ++end;
  for (std::size_t i = first; i < end; ++i) {
    if (i != at) controls_[i].checked = false;
  }
}

void WindowModel::SetStep(int id, int step) {
  if (ControlState* control = Find(id)) control->step = step;
}

void WindowModel::SetPlainButtonStyle(int id) {
  if (ControlState* control = Find(id)) control->default_look = false;
}

void WindowModel::UserClick(int id) {
  ControlState* control = Find(id);
  if (control && IsPushButton(control->kind)) control->default_look = true;
  if (!control || (control->style & kStyleAutoCheck) == 0) return;
  if (control->kind == ControlKind::kCheckBox) {
    control->checked = !control->checked;
  } else if (control->kind == ControlKind::kRadioButton) {
    UserSetCheck(id, true);
  }
}

void WindowModel::UserSetCheck(int id, bool checked) {
  ControlState* control = Find(id);
  if (!control) return;
  control->checked = checked;
  const bool auto_radio =
      control->kind == ControlKind::kRadioButton && (control->style & kStyleAutoCheck) != 0;
  if (auto_radio && checked) {
    UncheckRadioGroup(*control);
    control->checked = true;
  }
}

void WindowModel::UserType(int id, std::string_view text) {
  ControlState* control = Find(id);
  if (!control) return;
  std::string typed(text);
  // A digits-only edit refuses every other key.
  if (control->style & kStyleNumber) {
    std::erase_if(typed, [](char c) { return c < '0' || c > '9'; });
  }
  if (control->limit > 0 && typed.size() > static_cast<std::size_t>(control->limit)) {
    typed.resize(static_cast<std::size_t>(control->limit));
  }
  control->text = std::move(typed);
}

int WindowModel::UserSlide(int id, int position) {
  SetPosition(id, position);
  return Position(id);
}

void WindowModel::FocusFirstIfNone() {
  if (focus_ != kNoControlId && IsUsable(focus_)) return;
  for (const ControlState& control : controls_) {
    if (IsInteractive(control.kind) && control.enabled && control.visible &&
        control.id != kNoControlId) {
      focus_ = control.id;
      return;
    }
  }
}

std::string WindowModel::DumpControl(const ControlState& control) const {
  std::string line = "control " + std::to_string(control.id) + " " +
                     std::string(ControlKindName(control.kind)) + " " +
                     QuoteScriptString(control.text);
  const bool checkable =
      control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton;
  if (checkable && control.checked) line += " checked";
  if (!control.enabled) line += " disabled";
  if (!control.visible) line += " hidden";
  if (control.id != kNoControlId && control.id == default_button_) line += " default";
  if (control.id != kNoControlId && control.id == focus_) line += " focus";
  if (control.kind == ControlKind::kComboBox) {
    line += " sel=" + std::to_string(control.selection);
    line += " items=" + std::to_string(control.items.size());
  }
  if (control.kind == ControlKind::kTrackbar || control.kind == ControlKind::kProgress) {
    line += " pos=" + std::to_string(control.position);
    line += " range=" + std::to_string(control.low) + ".." + std::to_string(control.high);
  }
  if (control.kind == ControlKind::kEdit && control.limit > 0) {
    line += " limit=" + std::to_string(control.limit);
  }
  return line;
}

std::vector<std::string> WindowModel::Dump() const {
  std::vector<std::string> lines;
  lines.reserve(controls_.size());
  for (const ControlState& control : controls_) lines.push_back(DumpControl(control));
  return lines;
}

}  // namespace tunora::sim
