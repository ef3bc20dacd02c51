// tunora on Windows: the program's logic over the Windows adapters.
#include "platform/win32/win32_platform.h"
// After the other Windows headers: it takes back some of their macros.
#include "platform/win32/ui_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show) {
  (void)previous, (void)command_line, (void)show;  // the program takes no arguments
  tunora::win32::Win32Ui ui(instance);
  tunora::win32::Win32Platform windows(ui);
  // Under test automation the transcript ends with `exit N`.
  return ui.FinishRun(tunora::TunoraMain(windows.platform()));
}
