#include "sheet/sheet_flags.h"

namespace tunora {

void SheetFlags::ClearCustomResolution() {
  monitor_horizontal_chosen = false;
  monitor_vertical_chosen = false;
}

void SheetFlags::MainWindowShown() {
  audio_selection = 0;
  ClearCustomResolution();
}

void SheetFlags::SheetOpened() {
  ClearCustomResolution();
  tv_channels = {};
  tv_channels_changed = 0;
}

void SheetFlags::SheetClosed() {
  clock_first_activation = 1;
  clock_offset = kClockOffsetAtRest;
}

void SheetFlags::ResetAll() { ClearCustomResolution(); }

}  // namespace tunora
