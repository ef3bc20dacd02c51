// The user interface of a console program (lockstep): it reports on its
// standard output and has no windows of its own; a message box is the only
// window it may raise.
#pragma once

#include "platform/ui.h"

namespace tunora::win32 {

class ConsoleUi : public Ui {
 public:
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  // A console program has no dialogs: these end at once with IDCANCEL.
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
};

}  // namespace tunora::win32
