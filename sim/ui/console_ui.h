// The user interface of a console program (lockstep) on the simulated PC
// when no script is given: nobody watches its windows, so each message box
// is written to a stream as the transcript writes it and answered with its
// default button; dialogs and property sheets end at once with IDCANCEL.
#pragma once

#include <ostream>

#include "platform/ui.h"

namespace tunora::sim {

class ConsoleUi : public Ui {
 public:
  explicit ConsoleUi(std::ostream& messages) : messages_(messages) {}

  // `message "TEXT" caption "CAPTION"`, then the box's default button.
  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override;
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override;
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override;
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
  // Written as its own line, as the transcript does.
  void Event(std::string_view line) override;

 private:
  std::ostream& messages_;
};

}  // namespace tunora::sim
