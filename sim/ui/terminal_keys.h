// What a key or a mouse click does in a dialog or a property sheet of the
// terminal UI: focus moves, buttons, check boxes, radio groups, edits,
// combos, trackbars and tabs, in the dialog manager's manner. Free of
// curses, so it is tested without a terminal.
#pragma once

#include "automation/sheet_model.h"
#include "automation/window_model.h"
#include "platform/ui.h"
#include "sim/ui/terminal_layout.h"

namespace tunora::sim {

enum class KeyCode {
  kNone,
  kChar,  // printable character, space included
  kAlt,   // Alt + a printable character
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
  kCtrlPageUp,
  kCtrlPageDown,
  kEnter,
  kBackspace,
  kEscape,
  kMenu,   // F10, Alt+Space, Esc then space
  kMouse,  // a left-button press at column, row
  kResize,
};

struct KeyPress {
  KeyCode code = KeyCode::kNone;
  char character = 0;       // kChar, kAlt
  int column = 0, row = 0;  // kMouse, absolute cells
};

enum class KeyOutcome {
  kHandled,
  kIgnored,
  kOpenSystemMenu,
};

// The next (step 1) or previous (step -1) Tab stop after `from`, wrapping
// around; kNoControlId when there is none. A run of radio buttons is one
// stop, entered at its checked button (else its first usable one).
int NextFocus(const WindowModel& window, int from, int step);

// Enter: the focused push button, else the usable default button, else IDOK.
int EnterCommand(const WindowModel& window);

KeyOutcome HandleDialogKey(WindowModel& window, DialogHandler& handler, const KeyPress& key);

// A mouse click on a control of a dialog (HitTestDialog): presses buttons
// and boxes, focuses edits, steps combos at their arrows, moves trackbars
// to the clicked column. Disabled controls ignore it.
KeyOutcome ClickControl(WindowModel& window, DialogHandler& handler, const HitTarget& hit);

// The keyboard focus in a sheet is on the active page or on the frame's
// buttons; each window keeps its own focused control.
struct SheetFocus {
  bool in_frame = false;
};

// The letter that picks a tab with Alt: the '&' mnemonic of its title,
// else its first character; lower case, 0 for an empty title.
char TabLetter(std::string_view title);
// The first page after `from` (wrapping round) whose letter is `letter`,
// so that repeated presses visit tabs sharing a letter; -1 when none.
int PageForLetter(const SheetModel& sheet, char letter, int from);

// Puts the focus on something usable: the page's focused control, else
// the frame's; called after the sheet opens and after every event, since
// handlers switch pages and disable buttons.
void SettleSheetFocus(SheetModel& sheet, SheetFocus& focus);

// Tab and Shift-Tab run through the page's stops and then the frame's;
// Ctrl+PgUp/PgDn and Alt+letter switch tabs (Alt+letter tries the page's
// and the frame's mnemonics first); Enter presses the focused push button,
// else the frame's default; Escape is the sheet handler's cancel; the rest
// goes to the focused window.
KeyOutcome HandleSheetKey(SheetModel& sheet, SheetFocus& focus, const KeyPress& key);

// A mouse click on the sheet (HitTestSheet).
KeyOutcome ClickSheet(SheetModel& sheet, SheetFocus& focus, const HitTarget& hit);

}  // namespace tunora::sim
