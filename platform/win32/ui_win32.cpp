#include "platform/win32/ui_win32.h"

namespace tunora::win32 {

class Automation {};

Win32Ui::Win32Ui(HINSTANCE instance) : instance_(instance) {}
Win32Ui::~Win32Ui() = default;

int Win32Ui::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  const std::string text_z(text), caption_z(caption);
  return MessageBoxA(GetActiveWindow(), text_z.c_str(), caption_z.c_str(), type);
}

int Win32Ui::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  (void)dialog, (void)handler;
  return -1;
}

int Win32Ui::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  (void)sheet, (void)handler;
  return -1;
}

void Win32Ui::BeginWaitCursor() {}
void Win32Ui::EndWaitCursor() {}
void Win32Ui::Event(std::string_view line) { (void)line; }

}  // namespace tunora::win32
