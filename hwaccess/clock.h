// The card's system clock: the rated clock its video BIOS states, the clock
// its PLL produces now, the divider ratios of its working clocks, and the
// programming of a new clock (with an optional ten-second test). Each
// operation exists for both roads: hwgate4 on NT, Hwgt9x plus the
// configuration ports on 9x. Every call deploys the driver it needs and
// takes it down again; nothing stays open between calls.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "hwaccess/card.h"
#include "hwaccess/deploy.h"

namespace tunora {

// The PLL's dividers: M (0..31), N (0..127), P (0..7).
struct DividerSet {
  std::uint8_t m = 0;
  std::uint8_t n = 0;
  std::uint8_t p = 0;
  friend bool operator==(const DividerSet&, const DividerSet&) = default;
};

inline constexpr double kReferenceHz = 27000000.0;

// 27 MHz x (N + 1) / ((M + 1) x (P + 1)), in Hz.
double DividerClockHz(const DividerSet& set);

// The boards the clock tables are kept for, and the tables themselves (MHz).
// The running board's base slot is set to its rated clock minus 100.
// A variant is its table slot.
enum ClockVariant : std::uint8_t {
  kVariantQx2Max = 0,
  kVariantQx1 = 1,
  kVariantQx2e = 2,
  kVariantQx2 = 3,
};
using ClockTable = std::array<int, 4>;
inline constexpr ClockTable kInitialBaseClocks = {200, 68, 200, 152};
inline constexpr ClockTable kClockSpans = {160, 160, 160, 160};
// The subsystem id of the QX2 "Max" board.
inline constexpr std::uint32_t kMaxBoardSubsystem = 0x217D;
inline constexpr int kUnknownRatedClock = 100;

// Slider position 100 stands for the rated clock, the base clock for 0.
inline constexpr int kRatedPosition = 100;
// The base clock of a card of this rated clock: what slider position 0
// (and the table slot of the running board) stands for.
inline int BaseClockFor(int rated_mhz) { return rated_mhz - kRatedPosition; }
// MHz above the base clock: one a step up to 100, three a step above.
int ClockOffsetFor(int slider_position);
// The divider check made before a clock is set: the system clock below
// the base clock while a working clock divides it by less than 1.5
// (ratios kept multiplied by 10).
bool DividerCheckFails(int system_mhz, int base_mhz, const std::array<float, 3>& ratios_x10);

// The bytes of the BIOS parameter block the rated clock is read from;
// `readable` counts those that lay inside the mapped window.
inline constexpr std::size_t kParameterBlockBytes = 77;
struct ParameterBlock {
  std::array<std::uint8_t, kParameterBlockBytes> bytes{};
  std::size_t readable = 0;
};
// The rated clock (MHz) a block states for `family`; kUnknownRatedClock
// when the block is of another version or lies outside the window. Both
// programs read it so, from the same window: the clock lockstep applies
// at log-on is the one the page showed and tested.
std::uint16_t RatedClockFromBlock(const ParameterBlock& block, ChipFamily family);

// The first divider set in search order (P over 0, 1, 3, 7; M 1..31; N
// 7..127) whose clock in whole MHz is `target_mhz`; nullopt when none is.
std::optional<DividerSet> SearchDividers(int target_mhz);
// The check the found set must pass before anything is programmed.
bool WithinLimit(const DividerSet& set, int limit_mhz);

struct ClockRatios {
  int system_mhz = 0;  // truncated
  float r1 = 0, r2 = 0, r3 = 0;
};
// The ratios the option registers select: QX1 from 0x40 and 0x50, QX2
// from the codes in 0x54.
ClockRatios Qx1Ratios(std::uint32_t option, std::uint32_t divider_override);
ClockRatios Qx2Ratios(std::uint32_t divider_code);

// Where the card is and who asks.
struct ClockTarget {
  ChipFamily family = kFamilyUnknown;
  std::uint8_t slot_device = 0;  // bus 1, this device, function 0
};

std::uint16_t ReadRatedClock(HwContext& hw, const ClockTarget& card);
int ReadCurrentClock(HwContext& hw, const ClockTarget& card);
ClockRatios ReadClockRatios(HwContext& hw, const ClockTarget& card);

// Told right before ProgramClock first writes the card's clock registers
// (after the driver is up and the target accepted), so a log-on guard can
// be on disk before the card is touched.
class CardWriteGuard {
 public:
  virtual ~CardWriteGuard() = default;
  virtual void BeforeFirstWrite() = 0;
};

// keep false: program, hold about ten seconds, restore the previous
// dividers. keep true: program and leave it. True when the target was
// programmed, false when it was refused or could not be programmed (the
// reason already reported).
[[nodiscard]] bool ProgramClock(HwContext& hw, const ClockTarget& card, int target_mhz,
                                int limit_mhz, bool keep, CardWriteGuard* guard = nullptr);
// How long a test holds the new clock before the old one comes back.
inline constexpr std::uint32_t kClockTestMs = 10000;

// The stored permanent clock ("Percent", "Card", "Max") and the log-on entry.
inline constexpr const char* kClockSettingKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Clock";
inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// Set under the Clock key (and flushed) before lockstep first writes the
// card's clock, cleared once the new clock has held for kClockHoldMs:
// found at log-on, it means the last log-on died applying the clock.
inline constexpr const char* kClockApplyingValue = "Applying";
// How long a clock applied at log-on must hold before it counts as good:
// an overclock that fails usually does so within its first minutes.
inline constexpr std::uint32_t kClockHoldMs = 2 * 60 * 1000;

// Texts of the clock programming.
inline constexpr const char* kClockingError1 = "Clocking Error! Try again. (#1)";
inline constexpr const char* kClockingError2 = "Clocking Error! Try again. (#2)";

}  // namespace tunora
