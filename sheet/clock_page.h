// The Clock Tweak page (CPage7): moves the card's system clock in steps
// around its rated clock, tests a new clock for ten seconds, applies it
// until the next reboot or makes it permanent; "Card Default" removes the
// permanent clock. Unlike the other pages it acts at once.
#pragma once

#include <optional>
#include <string_view>

#include "sheet/page.h"
#include "sheet/run_state.h"

namespace tunora {

inline constexpr int kSliderTop = 120;

inline constexpr std::string_view kClockDanger =
    "DANGER!!! Changing current clock settings may\ncause your system to lock up! Make sure "
    "that\nyour video drivers and hardware resources\nare all setup properly before going "
    "further!";
inline constexpr std::string_view kClockSafeMode =
    "Windows GetSystemMetrics Reports SM_CLEANBOOT > 0.\nOverclocking disabled!";
inline constexpr std::string_view kQx1DividerFailure = "QX1: Failed on Clocks or Dividers";
inline constexpr std::string_view kQx2DividerFailure = "QX2: Failed on Clocks or Dividers";

// The slider position the current clock stands at; nothing when it lies
// below the base clock (rated - 100). Not capped: rated + 90 gives 130.
std::optional<int> SliderPositionFor(int current_mhz, int rated_mhz);

class ClockPage : public SheetPageHandler {
 public:
  explicit ClockPage(App& app) : app_(app) {}
  std::string_view RuntimeClass() const override { return "CPage7"; }
  void OnInit(DialogWindow& window) override;
  void OnNotify(DialogWindow& window, int code) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;
  void OnScroll(DialogWindow& window, int id, int position, bool released) override;

  // What the clock-change and permanence dialogs do.
  bool Tested() const;
  void RunTest();
  void ApplyUntilReboot();
  void MakePermanent();

 private:
  enum class Board { kQx1, kQx2, kQx2e, kOther };
  Board BoardKind() const;
  ClockTarget Target() const;
  int BaseClock() const;
  void SetVariant();
  void RefreshRatios();
  void Activate(DialogWindow& window);
  void DisableTestNow(DialogWindow& window);
  void TakePosition(DialogWindow& window, int position, bool move_slider);
  void TestAndApply(DialogWindow& window);
  // ProgramClock with the target and limit of the slider's offset.
  void Program(bool keep);

  App& app_;
  // Nothing on the page enables "Test Now" again once it is disabled.
  bool test_now_disabled_ = false;
};

}  // namespace tunora
