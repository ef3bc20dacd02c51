#include "sim/ui/console_ui.h"

#include "automation/message_box_rules.h"
#include "automation/ui_script.h"

namespace tunora::sim {

int ConsoleUi::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  messages_ << "message " << QuoteScriptString(text) << " caption " << QuoteScriptString(caption)
            << std::endl;
  return MessageBoxDefault(type);
}

int ConsoleUi::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  (void)dialog, (void)handler;
  return kIdCancel;
}

int ConsoleUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  (void)sheet, (void)handler;
  return kIdCancel;
}

void ConsoleUi::Event(std::string_view line) { messages_ << line << std::endl; }

}  // namespace tunora::sim
