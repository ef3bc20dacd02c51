// tunora on Windows: the program's logic over the Windows adapters.
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;  // the program takes no arguments
  tunora::win32::Win32Platform windows(instance);
  return tunora::TunoraMain(windows.platform());
}
