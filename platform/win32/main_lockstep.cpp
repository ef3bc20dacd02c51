// lockstep on Windows: a console program started at log-on.
#include "platform/win32/console_ui.h"
#include "platform/win32/win32_platform.h"

int main() {
  tunora::win32::ConsoleUi ui;
  tunora::win32::Win32Platform windows(ui);
  return tunora::LockstepMain(windows.platform());
}
