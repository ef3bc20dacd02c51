// The live state of one dialog built from its template: what a handler
// changed through DialogWindow and what the user did. Both sim UIs keep
// their windows in this model; the scripted UI dumps it, the terminal UI
// draws it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/ui.h"

namespace tunora::sim {

struct ControlState {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStatic;
  std::uint32_t style = 0;
  int x = 0, y = 0, width = 0, height = 0;  // dialog units, from the template
  std::string text;                         // combos: the text of the edit field / selection
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  std::vector<std::string> items;  // combos
  int selection = -1;              // combos; -1 = none
  int low = 0, high = 100;         // trackbar and progress range
  int position = 0;
  int limit = 0;  // edits: 0 = no limit set
  int step = 10;  // progress bars: PBM_SETSTEP, 10 until set
  // Push buttons: drawn as the default button since a click, until the
  // handler sets the plain style again.
  bool default_look = false;
};

struct SystemMenuEntry {
  std::uint32_t command;
  std::string text;
};

// The words of dumps and the terminal UI: button, checkbox, radio, group,
// static, picture, edit, combo, trackbar, progress.
std::string_view ControlKindName(ControlKind kind);

// Buttons, check boxes, radio buttons, edits, combos and trackbars take
// the keyboard focus and user input; the rest only show things.
bool IsInteractive(ControlKind kind);
bool IsPushButton(ControlKind kind);

// Whether control `index` begins a keyboard group (WS_GROUP) of the window.
bool StartsKeyboardGroupAt(const std::vector<ControlState>& controls, std::size_t index);

class WindowModel : public DialogWindow {
 public:
  explicit WindowModel(const DialogTemplate& dialog);
  // A control created after the window (CreateWindowEx on the dialog).
  void AddControl(const ControlTemplate& control);

  // DialogWindow. Ids that are not in the window are ignored (getters
  // answer "", false, 0 or -1), as Windows does for a missing control.
  void SetText(int id, std::string_view text) override;
  std::string GetText(int id) override;
  void SetCheck(int id, bool checked) override;
  bool IsChecked(int id) override;
  void Enable(int id, bool enabled) override;
  void Show(int id, bool visible) override;
  void SetDefaultButton(int id) override;
  void SetFocus(int id) override;
  void ComboReset(int id) override;
  void ComboAdd(int id, std::string_view item) override;
  void ComboSetSelection(int id, int index) override;
  int ComboSelection(int id) override;
  void SetRange(int id, int low, int high) override;
  void SetPosition(int id, int position) override;
  int Position(int id) override;
  void SetTextLimit(int id, int limit) override;
  void SetStep(int id, int step) override;
  void SetPlainButtonStyle(int id) override;
  void AppendSystemMenu(std::uint32_t command, std::string_view text) override;
  void EndDialog(int result) override;

  int dialog_id() const { return dialog_id_; }
  // False for a dialog that ends through its buttons only.
  bool has_close_box() const { return has_close_box_; }
  std::string_view title() const { return title_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<ControlState>& controls() const { return controls_; }
  std::vector<ControlState>& controls() { return controls_; }
  const ControlState* Find(int id) const;
  ControlState* Find(int id);
  int default_button() const { return default_button_; }  // kNoControlId = none
  int focus() const { return focus_; }                    // kNoControlId = none
  const std::vector<SystemMenuEntry>& system_menu() const { return system_menu_; }
  bool HasSystemCommand(std::uint32_t command) const;
  bool ended() const { return ended_; }
  int result() const { return result_; }

  // What the user's own input does before the handler hears of it.
  // A click on an auto check box toggles it; on an auto radio button it
  // checks it and clears the rest of its group; a push button takes the
  // default button's look.
  void UserClick(int id);
  // Sets a check box or radio button, clearing the group for auto radios.
  void UserSetCheck(int id, bool checked);
  // Replaces an edit's text, cut to its limit; a digits-only edit keeps
  // only the digits.
  void UserType(int id, std::string_view text);
  // Moves a trackbar, clamped to its range; returns the new position.
  int UserSlide(int id, int position);
  // After initialisation: focus the first enabled, visible interactive
  // control unless the handler placed the focus itself.
  void FocusFirstIfNone();
  // Enabled and visible.
  bool IsUsable(int id) const;

  // One line per control: `control ID KIND "TEXT"` and its state words.
  std::vector<std::string> Dump() const;
  std::string DumpControl(const ControlState& control) const;

 private:
  void UncheckRadioGroup(const ControlState& chosen);

  int dialog_id_;
  bool has_close_box_ = true;
  std::string title_;
  int width_, height_;
  std::vector<ControlState> controls_;
  int default_button_ = kNoControlId;
  int focus_ = kNoControlId;
  std::vector<SystemMenuEntry> system_menu_;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace tunora::sim
