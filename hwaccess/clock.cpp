#include "hwaccess/clock.h"

#include <algorithm>
#include <functional>

#include "hwaccess/card_window.h"
#include "hwaccess/config_access.h"
#include "hwaccess/option_registers.h"
#include "hwaccess/protocol.h"
#include "hwaccess/road.h"

namespace tunora {
namespace {

constexpr std::uint8_t kDacPixelClockControl = 0x1A;
constexpr std::uint8_t kPixelClockBit = 0x04;
constexpr std::uint8_t kDacPllM = 0x2C;
constexpr std::uint8_t kDacPllN = 0x2D;
constexpr std::uint8_t kDacPllP = 0x2E;
constexpr std::uint8_t kSequencerClocking = 1;
constexpr std::uint8_t kScreenOffBit = 0x20;

// The video BIOS as both programs map it.
constexpr std::uint32_t kBiosAddress = 0xC0000;
constexpr std::uint32_t kBiosLength = 0x7FFF;
constexpr std::uint32_t kBlockPointer = 0x7FFC;

constexpr std::uint32_t kReadWindowLength = 0x7FFF;
constexpr std::uint32_t kProgramWindowLengthNt = 0xFFFF;
constexpr std::uint32_t kProgramWindowLength9x = 0x4000;
constexpr std::uint32_t kNtWindowBaseMask = ~0xFu;

constexpr std::uint32_t kBlankSettleMs = 21;
constexpr std::uint32_t kTestHoldSleepMs = 10;
constexpr std::uint32_t kTestHoldSleeps = kClockTestMs / kTestHoldSleepMs;

constexpr VxdMessages kVxdMessagesProgramming{"Unable to Access VxD!", "VxD Version Mismatch!"};
// A PLL that never locks: the sequence is undone and this is reported.
constexpr const char* kClockingError3 = "Clocking Error! Try again. (#3)";

DividerSet ReadDividers(ProcessMemory& memory, std::uint32_t window) {
  return {static_cast<std::uint8_t>(IndexedRead(memory, window, kDacPllM) & 0x1F),
          static_cast<std::uint8_t>(IndexedRead(memory, window, kDacPllN) & 0x7F),
          static_cast<std::uint8_t>(IndexedRead(memory, window, kDacPllP) & 0x07)};
}

// The clock in MHz as the readers compute it: in MHz, truncated.
int WholeMhz(const DividerSet& set) {
  return static_cast<int>(27.0 * (set.n + 1) / ((set.p + 1) * (set.m + 1)));
}

// The search's own measure: whole Hz first, then whole MHz.
int SearchMhz(const DividerSet& set) {
  return static_cast<int>(static_cast<std::int64_t>(DividerClockHz(set)) / 1000000);
}

// The register window as the readers map it: configuration register 0x14
// with its low 14 bits cleared, 0x7FFF bytes; 0 when the map failed.
std::uint32_t MapReadWindow(const HwContext& hw, ConfigSpace& config, const MapFn& map,
                            const ClockTarget& card) {
  const std::uint32_t base = ReadRegisterWindowBase(config, card.slot_device) & kWindowBaseMask;
  if (hw.OnNtRoad()) EnableMemoryDecoding(config, card.slot_device);
  return map(base, kReadWindowLength);
}

float Qx2Ratio(std::uint32_t code) {
  static constexpr float kRatios[8] = {3.0f, 2.5f, 2.25f, 2.0f, 1.5f, 1.0f, 1.0f, 1.0f};
  return kRatios[code & 7];
}

// One card's register window and configuration space during programming.
class Programmer {
 public:
  Programmer(HwContext& hw, ConfigSpace& config, const ClockTarget& card, std::uint32_t window)
      : memory_(hw.platform.memory),
        system_(hw.platform.system),
        config_(config),
        card_(card),
        road_(hw.road),
        window_(window) {}

  // The blank, stop, re-divide, restart, unblank sequence. On a lock that
  // never comes everything is put back as it was and false returned.
  bool Run(const DividerSet& set) {
    const std::uint32_t option = config_.Read32(kCardBus, card_.slot_device, kOptionRegister);
    const DividerSet before = ReadDividers(memory_, window_);
    Blank();
    system_.Sleep(kBlankSettleMs);
    StopSystemClock(config_, card_.slot_device);
    SelectPciClock(config_, card_.slot_device, card_.family, road_);
    if (!WaitForPllLock(memory_, system_, window_)) return Undo(option, nullptr);
    RestartSystemClock(config_, card_.slot_device, card_.family, road_);
    WriteDividers(set);
    if (!WaitForPllLock(memory_, system_, window_)) return Undo(option, &before);
    StopSystemClock(config_, card_.slot_device);
    SelectPllClock(config_, card_.slot_device, card_.family, road_);
    if (!WaitForPllLock(memory_, system_, window_)) return Undo(option, &before);
    RestartSystemClock(config_, card_.slot_device, card_.family, road_);
    Unblank();
    return true;
  }

 private:
  void Blank() {
    const std::uint8_t clocking = SequencerRead(memory_, window_, kSequencerClocking);
    SequencerWrite(memory_, window_, kSequencerClocking,
                   static_cast<std::uint8_t>(clocking | kScreenOffBit));
    ClearPixelClockBit();
  }
  void Unblank() {
    ClearPixelClockBit();
    const std::uint8_t clocking = SequencerRead(memory_, window_, kSequencerClocking);
    SequencerWrite(memory_, window_, kSequencerClocking,
                   static_cast<std::uint8_t>(clocking & ~kScreenOffBit));
  }
  void ClearPixelClockBit() {
    const std::uint8_t control = IndexedRead(memory_, window_, kDacPixelClockControl);
    IndexedWrite(memory_, window_, kDacPixelClockControl,
                 static_cast<std::uint8_t>(control & ~kPixelClockBit));
  }
  // The post-divider is never written: the PLL keeps its own.
  void WriteDividers(const DividerSet& set) {
    IndexedWrite(memory_, window_, kDacPllM, set.m);
    IndexedWrite(memory_, window_, kDacPllN, set.n);
  }
  // The option register goes back the way the forward path changes it:
  // the clock stopped, the saved source chosen while it stands, a (bounded)
  // wait for the PLL, then the saved stop bit.
  bool Undo(std::uint32_t option, const DividerSet* before) {
    if (before != nullptr) WriteDividers(*before);
    StopSystemClock(config_, card_.slot_device);
    config_.Write32(kCardBus, card_.slot_device, kOptionRegister, option | kStopClockBit);
    (void)WaitForPllLock(memory_, system_, window_);
    config_.Write32(kCardBus, card_.slot_device, kOptionRegister, option);
    Unblank();
    return false;
  }

  ProcessMemory& memory_;
  System& system_;
  ConfigSpace& config_;
  const ClockTarget& card_;
  DriverRoad road_;
  std::uint32_t window_;
};

}  // namespace

double DividerClockHz(const DividerSet& set) {
  // Multiplying first keeps whole-MHz results exact (228 MHz is 27 MHz x 76 / 9).
  return kReferenceHz * (set.n + 1) / ((set.m + 1) * (set.p + 1));
}

int ClockOffsetFor(int slider_position) {
  return slider_position <= kRatedPosition ? slider_position : 3 * slider_position - 200;
}

bool DividerCheckFails(int system_mhz, int base_mhz, const std::array<float, 3>& ratios_x10) {
  const bool slow_divider =
      std::any_of(ratios_x10.begin(), ratios_x10.end(), [](float ratio) { return ratio < 15.0f; });
  return system_mhz < base_mhz && slow_divider;
}

std::uint16_t RatedClockFromBlock(const ParameterBlock& block, ChipFamily family) {
  const auto has = [&](std::size_t index) { return index < block.readable; };
  const auto& b = block.bytes;
  if (!has(5)) return kUnknownRatedClock;
  if (family == kFamilyQx2 && b[5] == 4) {
    if (!has(76)) return kUnknownRatedClock;
    return static_cast<std::uint16_t>(4 * b[76]);
  }
  if (family != kFamilyQx1Agp || b[5] != 3 || !has(62)) return kUnknownRatedClock;

  const bool fifteen = (b[52] & 1) != 0;
  const auto scaled = [&](int v) {
    return static_cast<std::uint16_t>(v * (fifteen ? 15 : 20) / 10);
  };
  const int s = b[60];
  const int t = b[62];
  const int lo = t & 0x0F;
  const int hi = t >> 4;
  const int a = b[44];
  const auto adjusted = [&](int v) {
    if (lo != 15) v = (v + 2 * lo - 30) & 0xFF;
    if (hi != 15) v = (v + 2 * hi - 30) & 0xFF;
    return v;
  };
  if (s != 255 && t == 255) return scaled(s);
  if (s != 255) {
    const int v = adjusted(s);
    return v == 255 ? scaled(adjusted(a)) : scaled(v);
  }
  if (t == 255) return scaled(a);
  return scaled(adjusted(a));
}

std::optional<DividerSet> SearchDividers(int target_mhz) {
  std::optional<DividerSet> found;
  for (unsigned k = 0; k < 4; ++k) {
    const unsigned p = (1u << k) - 1;
    for (unsigned m = 1; m <= 31; ++m) {
      for (unsigned n = 7; n <= 127; ++n) {
        const DividerSet set{static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(n),
                             static_cast<std::uint8_t>(p)};
        // The first match wins; the search still covers every candidate.
        if (!found && SearchMhz(set) == target_mhz) found = set;
      }
    }
  }
  return found;
}

bool WithinLimit(const DividerSet& set, int limit_mhz) {
  // A sum of the two divider terms, not their product.
  const double check = 27.0 * (set.n + 1) / ((set.m + 1) + (set.p + 1));
  return !(limit_mhz < check);
}

ClockRatios Qx1Ratios(std::uint32_t option, std::uint32_t divider_override) {
  const auto pick = [](bool one, bool one_and_half) {
    return one ? 1.0f : one_and_half ? 1.5f : 2.0f;
  };
  ClockRatios ratios;
  ratios.r1 = pick(divider_override & (1u << 14), option & (1u << 3));
  ratios.r2 = pick(divider_override & (1u << 15), option & (1u << 4));
  ratios.r3 = pick(divider_override & (1u << 16), divider_override & (1u << 17));
  return ratios;
}

ClockRatios Qx2Ratios(std::uint32_t divider_code) {
  ClockRatios ratios;
  ratios.r1 = Qx2Ratio(divider_code >> 3);
  ratios.r2 = Qx2Ratio(divider_code >> 13);
  ratios.r3 = Qx2Ratio(divider_code >> 23);
  return ratios;
}

std::uint16_t ReadRatedClock(HwContext& hw, const ClockTarget& card) {
  ParameterBlock block;
  WithRoad(hw, {kVxdMessagesBiosClock}, [&](ConfigSpace&, const MapFn& map) {
    const std::uint32_t window = map(kBiosAddress, kBiosLength);
    if (window == 0) return;
    ProcessMemory& memory = hw.platform.memory;
    const std::uint32_t offset =
        memory.Read8(window + kBlockPointer) |
        static_cast<std::uint32_t>(memory.Read8(window + kBlockPointer + 1)) << 8;
    // Only bytes inside the mapped window are read.
    while (block.readable < kParameterBlockBytes && offset + block.readable < kBiosLength) {
      block.bytes[block.readable] =
          memory.Read8(window + offset + static_cast<std::uint32_t>(block.readable));
      ++block.readable;
    }
  });
  return RatedClockFromBlock(block, card.family);
}

int ReadCurrentClock(HwContext& hw, const ClockTarget& card) {
  int clock = 0;
  WithRoad(hw, {kVxdMessages}, [&](ConfigSpace& config, const MapFn& map) {
    if (!hw.OnNtRoad()) {
      // Another vendor's device at the address: nothing of ours to read.
      const std::uint32_t ids = config.Read32(kCardBus, card.slot_device, 0x00);
      if ((ids & 0xFFFF) != kMakerVendorId) return;
    }
    const std::uint32_t window = MapReadWindow(hw, config, map, card);
    if (window != 0) clock = WholeMhz(ReadDividers(hw.platform.memory, window));
  });
  return clock;
}

ClockRatios ReadClockRatios(HwContext& hw, const ClockTarget& card) {
  ClockRatios ratios;
  const RoadUse use{kVxdMessages, true, Hwgate4Cleanup::kStopDeleteService};
  WithRoad(hw, use, [&](ConfigSpace& config, const MapFn& map) {
    const std::uint32_t window = MapReadWindow(hw, config, map, card);
    const int system_mhz = window != 0 ? WholeMhz(ReadDividers(hw.platform.memory, window)) : 0;
    if (card.family == kFamilyQx1Agp) {
      ratios = Qx1Ratios(config.Read32(kCardBus, card.slot_device, kOptionRegister),
                         config.Read32(kCardBus, card.slot_device, kDividerOverrideRegister));
    } else if (card.family == kFamilyQx2) {
      ratios = Qx2Ratios(config.Read32(kCardBus, card.slot_device, kDividerCodeRegister));
    }
    ratios.system_mhz = system_mhz;
  });
  return ratios;
}

bool ProgramClock(HwContext& hw, const ClockTarget& card, int target_mhz, int limit_mhz, bool keep,
                  CardWriteGuard* guard) {
  bool programmed = false;
  WithRoad(hw, {kVxdMessagesProgramming, false}, [&](ConfigSpace& config, const MapFn& map) {
    const std::uint32_t raw_base = ReadRegisterWindowBase(config, card.slot_device);
    EnableMemoryDecoding(config, card.slot_device);
    const std::uint32_t window = hw.OnNtRoad()
                                     ? map(raw_base & kNtWindowBaseMask, kProgramWindowLengthNt)
                                     : map(raw_base & kWindowBaseMask, kProgramWindowLength9x);
    if (window == 0) {
      ReportFailure(hw, kClockingError1);
      return;
    }
    const DividerSet before = ReadDividers(hw.platform.memory, window);
    const float previous_hz = static_cast<float>(DividerClockHz(before));
    // No set, or one that needs a post-divider this sequence never writes,
    // is refused before the card is touched; so is a target above the
    // limit, which the check on the found set alone lets through.
    const std::optional<DividerSet> found = SearchDividers(target_mhz);
    if (!found || found->p != 0 || target_mhz > limit_mhz || !WithinLimit(*found, limit_mhz)) {
      ReportFailure(hw, kClockingError1);
      return;
    }
    Programmer programmer(hw, config, card, window);
    if (guard != nullptr) guard->BeforeFirstWrite();
    if (!programmer.Run(*found)) {
      ReportFailure(hw, kClockingError3);
      return;
    }
    programmed = true;
    if (keep) return;
    for (std::uint32_t i = 0; i < kTestHoldSleeps; ++i) hw.platform.system.Sleep(kTestHoldSleepMs);
    if (limit_mhz < static_cast<int>(previous_hz * 0.000001)) {
      ReportFailure(hw, kClockingError2);
      return;
    }
    if (!programmer.Run({before.m, before.n, before.p})) ReportFailure(hw, kClockingError3);
  });
  return programmed;
}

}  // namespace tunora
