// The process-wide values the sheet's pages keep beside the settings: flags
// that live for the whole run and the pending state of the pages whose
// writers are not catalog settings. Each field starts over at the named
// points below, and nowhere else.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hwaccess/clock.h"
#include "sheet/tv_tuner.h"

namespace tunora {

inline constexpr int kClockOffsetAtRest = 100;

// Clock-change state: the change dialog opened from the page, or after a
// test (which enables its "Apply").
inline constexpr int kClockChangeOpened = 0;
inline constexpr int kClockChangeTested = 2;

// What the Clock Tweak page and its dialogs share for the run.
struct ClockPageState {
  int slider_position = 0;  // 0..120 as the user moves it; 100 is the rated clock
  ClockTable base_clocks = kInitialBaseClocks;  // MHz
  ClockVariant variant = kVariantQx2Max;
  int max_board = 0;  // QX2 board with subsystem kMaxBoardSubsystem
  int current_mhz = 0;
  int rated_mhz = 0;
  // From the last ratio refresh: the system clock and the three ratios x 10.
  int system_mhz = 0;
  std::array<float, 3> ratios_x10{};
  int change_state = kClockChangeOpened;
};

struct SheetFlags {
  // The points of a run where fields start over. A field none of them
  // names lives for the whole run.
  void MainWindowShown();  // the Audio page's tone, the custom resolution
  void SheetOpened();      // the custom resolution, the channel table and its edits
  void SheetClosed();      // the Clock Tweak page's first activation and offset
  void ResetAll();         // the custom resolution

  // AGP page: "AGP 4x override bit enabled." is shown once per run.
  bool agp_override_shown = false;
  // Miscellaneous page: keeps the first filling of the size field from
  // counting as a user change.
  bool first_fill_pending = true;
  // Clock Tweak page: re-armed each time the sheet closes; the page's
  // state itself lives for the run.
  int clock_first_activation = 1;
  int clock_offset = kClockOffsetAtRest;
  ClockPageState clock;
  // Monitor Profile page: which values of the custom resolution have been
  // picked since the sheet opened (or the main window came up, or Reset
  // All), and their decimal texts. Apply writes the resolution when both
  // are chosen.
  bool monitor_horizontal_chosen = false;
  bool monitor_vertical_chosen = false;
  std::string monitor_horizontal;
  std::string monitor_vertical;
  // QTV page: the channel table read when the page first shows in a sheet
  // and whether a frequency was edited, both for one sheet; the advanced
  // capture switch as read when the sheet opened and as Apply would store
  // it. The pending mode starts from the stored one and keeps a choice the
  // user agreed to for the rest of the run.
  TvChannelTable tv_channels;
  int tv_channels_changed = 0;
  std::int32_t tv_capture_at_opening = 0;
  std::int32_t tv_capture_pending = 0;
  bool tv_capture_chosen = false;
  // Audio page: the chosen base tone, until the next main window.
  int audio_selection = 0;

  // What the flags leave for Apply to write.
  bool CustomResolutionChosen() const {
    return monitor_horizontal_chosen && monitor_vertical_chosen;
  }
  bool TvChannelsPending() const { return tv_channels_changed == 1; }
  bool CaptureSwitchPending() const { return tv_capture_pending != tv_capture_at_opening; }

 private:
  void ClearCustomResolution();
};

}  // namespace tunora
