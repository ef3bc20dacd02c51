// What a key does in a dialog of the terminal UI: focus moves, buttons,
// check boxes, edits, combos and trackbars, in the dialog manager's
// manner. Free of curses, so it is tested without a terminal.
#pragma once

#include "platform/ui.h"
#include "sim/ui/window_model.h"

namespace tunora::sim {

enum class KeyCode {
  kNone,
  kChar,  // printable character, space included
  kTab,
  kBackTab,
  kUp,
  kDown,
  kLeft,
  kRight,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kEnter,
  kBackspace,
  kEscape,
  kMenu,  // F10, Alt+Space, Esc then space
  kResize,
};

struct KeyPress {
  KeyCode code = KeyCode::kNone;
  char character = 0;  // kChar
};

enum class KeyOutcome {
  kHandled,
  kIgnored,
  kOpenSystemMenu,
};

// The next (step 1) or previous (step -1) control that can take the focus,
// after `from`, wrapping around; kNoControlId when there is none.
int NextFocus(const WindowModel& window, int from, int step);

// Enter: the focused push button, else the usable default button, else IDOK.
int EnterCommand(const WindowModel& window);

KeyOutcome HandleDialogKey(WindowModel& window, DialogHandler& handler, const KeyPress& key);

}  // namespace tunora::sim
