#include "sheet/clock_page.h"

#include <algorithm>
#include <string>

#include "resources/dialogs.h"
#include "resources/strings.h"
#include "sheet/clock_permanence.h"

namespace tunora {
namespace {

// The lowest current clock at which a QX2 board may be tested.
constexpr int kQx2MaxLowestClock = 200;
constexpr int kQx2LowestClock = 150;

std::string PercentText(int position) { return std::to_string(position) + " %"; }

// "Apply" (IDOK) waits for a test; "Test" is IDCANCEL, so Escape tests.
class ClockChangeWindow : public DialogHandler {
 public:
  ClockChangeWindow(ClockPage& page, Ui& ui) : page_(page), ui_(ui) {}
  void OnInit(DialogWindow& window) override { window.Enable(kIdcClockApply, page_.Tested()); }
  void OnCommand(DialogWindow& window, int id, int notification) override;
  void OnCancel(DialogWindow& window) override { Test(window); }

 private:
  // A new change dialog takes this one's place (ClockPage::TestAndApply).
  void Test(DialogWindow& window) {
    page_.RunTest();
    window.EndDialog(kIdcClockTest);
  }

  ClockPage& page_;
  Ui& ui_;
};

// "Permanent" is IDOK, "Temporary" IDCANCEL: Escape applies until the
// next reboot.
class PermanenceWindow : public DialogHandler {
 public:
  explicit PermanenceWindow(ClockPage& page) : page_(page) {}
  void OnCommand(DialogWindow& window, int id, int notification) override {
    if (notification != kBnClicked) return;
    if (id == kIdcPermanent) {
      page_.MakePermanent();
      window.EndDialog(id);
    } else if (id == kIdcTemporary) {
      Temporary(window);
    } else if (id == kIdcPermanenceCancel) {
      window.EndDialog(id);
    }
  }
  void OnCancel(DialogWindow& window) override { Temporary(window); }

 private:
  void Temporary(DialogWindow& window) {
    page_.ApplyUntilReboot();
    window.EndDialog(kIdcTemporary);
  }

  ClockPage& page_;
};

void ClockChangeWindow::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  if (id == kIdcClockTest) {
    Test(window);
  } else if (id == kIdcClockApply && page_.Tested()) {
    // Enter may send IDOK while "Apply" is disabled.
    PermanenceWindow permanence(page_);
    ui_.DialogBox(PermanenceDialog(), permanence);
    window.EndDialog(id);
  } else if (id == kIdcClockChangeCancel) {
    window.EndDialog(id);
  }
}

}  // namespace

std::optional<int> SliderPositionFor(int current_mhz, int rated_mhz) {
  const int base = BaseClockFor(rated_mhz);
  if (current_mhz < base) return std::nullopt;
  if (current_mhz > rated_mhz) return (current_mhz - base - kRatedPosition) / 3 + kRatedPosition;
  return current_mhz - base;
}

ClockPage::Board ClockPage::BoardKind() const {
  switch (app_.state.chip_family) {
    case kFamilyQx1Agp:
      return Board::kQx1;
    case kFamilyQx2:
      return Board::kQx2;
    case kFamilyQx2e:
      return Board::kQx2e;
    default:
      return Board::kOther;
  }
}

ClockTarget ClockPage::Target() const {
  const RunState& state = app_.state;
  return {state.chip_family, static_cast<std::uint8_t>(state.agp_slot_device)};
}

int ClockPage::BaseClock() const {
  const ClockPageState& clock = app_.state.flags.clock;
  return clock.base_clocks[static_cast<std::size_t>(clock.variant)];
}

void ClockPage::SetVariant() {
  ClockPageState& clock = app_.state.flags.clock;
  switch (BoardKind()) {
    case Board::kQx1:
      clock.variant = kVariantQx1;
      break;
    case Board::kQx2e:
      clock.variant = kVariantQx2e;
      break;
    case Board::kQx2: {
      const bool max = app_.state.card.subsystem_id == kMaxBoardSubsystem;
      clock.variant = max ? kVariantQx2Max : kVariantQx2;
      clock.max_board = max ? 1 : 0;
      break;
    }
    case Board::kOther:
      break;
  }
}

void ClockPage::RefreshRatios() {
  ClockPageState& clock = app_.state.flags.clock;
  const ClockRatios ratios = ReadClockRatios(app_.hw, Target());
  clock.system_mhz = ratios.system_mhz;
  clock.ratios_x10 = {ratios.r1 * 10, ratios.r2 * 10, ratios.r3 * 10};
  SetVariant();
}

void ClockPage::DisableTestNow(DialogWindow& window) {
  test_now_disabled_ = true;
  window.Enable(kIdcClockTestNow, false);
}

void ClockPage::OnInit(DialogWindow& window) {
  (void)window;
  RefreshRatios();
}

void ClockPage::OnNotify(DialogWindow& window, int code) {
  if (code != kPsnSetActive) return;
  Activate(window);
  // The page paints itself once shown, and painting refreshes the ratios.
  RefreshRatios();
}

void ClockPage::Activate(DialogWindow& window) {
  SheetFlags& flags = app_.state.flags;
  ClockPageState& clock = flags.clock;
  if (flags.clock_first_activation != 0) {
    clock.slider_position = 0;
    window.SetRange(kIdcClockProgress, 0, kSliderTop);
    window.SetStep(kIdcClockProgress, 1);
    window.SetPosition(kIdcClockProgress, 0);
    window.SetText(kIdcClockPercent, PercentText(0));
    window.SetRange(kIdcClockSlider, 0, kSliderTop);
    window.SetPosition(kIdcClockSlider, 0);
    flags.clock_first_activation = 0;
    const int clean_boot = app_.platform.system.GetSystemMetrics(kSmCleanBoot);
    if (clean_boot == 1 || clean_boot == 2) {
      DisableTestNow(window);
      window.SetPosition(kIdcClockSlider, 0);
      window.SetPosition(kIdcClockProgress, 0);
      app_.platform.ui.MessageBox(kClockSafeMode, kProgramName, kMbOk);
    }
  }
  if (test_now_disabled_) window.Enable(kIdcClockTestNow, false);

  const ClockTarget card = Target();
  clock.current_mhz = ReadCurrentClock(app_.hw, card);
  clock.rated_mhz = ReadRatedClock(app_.hw, card);
  const int base = BaseClockFor(clock.rated_mhz);
  const Board board = BoardKind();
  if (board == Board::kQx1) {
    clock.base_clocks[kVariantQx1] = base;
  } else if (board == Board::kQx2) {
    clock.base_clocks[clock.max_board != 0 ? kVariantQx2Max : kVariantQx2] = base;
  }

  const bool too_low =
      (board == Board::kQx1 && clock.current_mhz < BaseClock()) ||
      (board == Board::kQx2 &&
       clock.current_mhz < (clock.max_board != 0 ? kQx2MaxLowestClock : kQx2LowestClock));
  // The clock can be set on QX1 and QX2 boards only; the page also shows
  // for a card that was not identified.
  const bool served = board == Board::kQx1 || board == Board::kQx2;
  if (too_low || !served) DisableTestNow(window);

  // The offset stays: a test before the user moves anything uses the last one.
  if (const std::optional<int> position = SliderPositionFor(clock.current_mhz, clock.rated_mhz)) {
    clock.slider_position = *position;
    window.SetPosition(kIdcClockSlider, *position);
    window.SetPosition(kIdcClockProgress, *position);
    window.SetText(kIdcClockPercent, PercentText(*position));
  }

  if (board == Board::kQx2) SetVariant();

  if (served && DividerCheckFails(clock.system_mhz, BaseClock(), clock.ratios_x10)) {
    app_.platform.ui.MessageBox(board == Board::kQx1 ? kQx1DividerFailure : kQx2DividerFailure,
                                kProgramName, kMbOk);
    DisableTestNow(window);
  }
  window.Show(kIdcClockValue, false);
}

void ClockPage::TakePosition(DialogWindow& window, int position, bool move_slider) {
  SetVariant();
  SheetFlags& flags = app_.state.flags;
  flags.clock.slider_position = position;
  window.SetPosition(kIdcClockProgress, position);
  if (move_slider) window.SetPosition(kIdcClockSlider, position);
  flags.clock_offset = ClockOffsetFor(position);
  window.SetText(kIdcClockPercent, PercentText(position));
  window.SetText(kIdcClockValue, std::to_string(BaseClock() + flags.clock_offset));
}

void ClockPage::OnScroll(DialogWindow& window, int id, int position, bool released) {
  (void)position, (void)released;
  if (id == kIdcClockSlider) TakePosition(window, window.Position(kIdcClockSlider), false);
}

void ClockPage::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kBnClicked) return;
  const int position = app_.state.flags.clock.slider_position;
  switch (id) {
    case kIdcClockUp:
      window.SetPlainButtonStyle(id);
      TakePosition(window, std::min(position + 1, kSliderTop), true);
      break;
    case kIdcClockDown:
      window.SetPlainButtonStyle(id);
      TakePosition(window, std::max(position - 1, 0), true);
      break;
    case kIdcClockTestNow:
      TestAndApply(window);
      break;
    case kIdcClockCardDefault:
      RemoveClockPermanence(app_.platform);
      break;
    default:
      break;
  }
}

void ClockPage::TestAndApply(DialogWindow& window) {
  Ui& ui = app_.platform.ui;
  ui.MessageBox(kClockDanger, kProgramName, kMbOk);
  app_.state.flags.clock.change_state = kClockChangeOpened;
  ClockChangeWindow change(*this, ui);
  // After each test a new change dialog, "Apply" enabled, takes the place
  // of the one that ran it.
  while (ui.DialogBox(ClockChangeDialog(), change) == kIdcClockTest) {
  }
  Activate(window);
  RefreshRatios();
}

bool ClockPage::Tested() const { return app_.state.flags.clock.change_state == kClockChangeTested; }

void ClockPage::Program(bool keep) {
  const WaitCursor wait(app_.platform.ui);
  if (!keep) app_.platform.ui.ExpectWait(kClockTestMs);
  const ClockPageState& clock = app_.state.flags.clock;
  const int base = BaseClock();
  const int limit = base + kClockSpans[static_cast<std::size_t>(clock.variant)];
  // ProgramClock has told the user of a failure itself, and the page reads
  // back whatever clock the card runs afterwards: nothing more to do here.
  static_cast<void>(
      ProgramClock(app_.hw, Target(), base + app_.state.flags.clock_offset, limit, keep));
}

void ClockPage::RunTest() {
  app_.state.flags.clock.change_state = kClockChangeTested;
  Program(false);
}

void ClockPage::ApplyUntilReboot() { Program(true); }

void ClockPage::MakePermanent() {
  const ClockPageState& clock = app_.state.flags.clock;
  MakeClockPermanent(app_.platform,
                     {clock.slider_position, app_.state.chip_family, clock.max_board != 0});
}

}  // namespace tunora
