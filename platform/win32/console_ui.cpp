#include "platform/win32/console_ui.h"

#include <string>

#include "platform/win32/windows_api.h"

namespace tunora::win32 {

int ConsoleUi::MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) {
  return ::MessageBoxA(nullptr, std::string(text).c_str(), std::string(caption).c_str(),
                       static_cast<UINT>(type));
}

int ConsoleUi::DialogBox(const DialogTemplate& dialog, DialogHandler& handler) {
  (void)dialog, (void)handler;
  return kIdCancel;
}

int ConsoleUi::PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) {
  (void)sheet, (void)handler;
  return kIdCancel;
}

}  // namespace tunora::win32
