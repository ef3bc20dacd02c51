// lockstep: started by Windows at log-on, it programs the card's clock
// once more to the permanent choice stored by tunora's Clock Tweak page
// and prints a short bracketed report. It asks nothing of the user.
#include <optional>
#include <string_view>
#include <vector>

#include "hwaccess/board_tables.h"
#include "hwaccess/clock.h"
#include "hwaccess/deploy.h"
#include "hwaccess/option_registers.h"
#include "hwaccess/platform_kind.h"
#include "hwaccess/scans.h"
#include "platform/platform.h"
#include "registry/reg_access.h"

namespace tunora {
namespace {

constexpr std::string_view kBanner = "Quillex Graphics Inc. - Lockstep v0.0.9c";
constexpr std::string_view kBannerPurpose = "Applies the permanent card clock set with Tunora.";
constexpr int kHighestPercent = 120;

enum class OverclockState { kTooManyCards = 0, kProgram = 1, kDividerError = 2 };

struct StoredSetting {
  std::int32_t percent = 0;
  std::uint32_t card = 0;
  std::uint32_t max = 0;
  bool interrupted = false;  // the last log-on died while applying it
};

// At most four bytes, little-endian, as the page stored them; a value
// that is there at all reads, even an empty one.
std::optional<std::uint32_t> ReadDword(Registry& registry, RegKey key, std::string_view name) {
  const auto bytes = QueryBytes(registry, key, name, 4);
  if (!bytes) return std::nullopt;
  return LittleEndian32(*bytes);
}

// The log-on guard: "Applying" under the Clock key, on disk before the
// card's clock is first written and cleared once the new clock has held
// for kClockHoldMs, or at once when the card was put back as it was. A
// mark that cannot be written only loses the guard; the clock is applied
// all the same.
class ApplyingMark : public CardWriteGuard {
 public:
  explicit ApplyingMark(Registry& registry) : registry_(registry) {}
  void BeforeFirstWrite() override {
    Write(true);
    set_ = true;
  }
  bool set() const { return set_; }
  void Clear() {
    Write(false);
    set_ = false;
  }

 private:
  void Write(bool applying) {
    const RegHandle key = RegHandle::Open(registry_, kClockSettingKey);
    if (!key) return;
    if (applying) {
      SetNumber(registry_, key.key(), kClockApplyingValue, 1);
    } else {
      registry_.DeleteValue(key.key(), kClockApplyingValue);
    }
    registry_.FlushKey(key.key());
  }

  Registry& registry_;
  bool set_ = false;
};

// The chip family of a board the scan found; kFamilyUnknown for ids the
// board tables do not classify.
ChipFamily FamilyOf(const CardListEntry& board) {
  if (!IsClassifiedDevice(board.device_id)) return kFamilyUnknown;
  return NameCard(ClassifyBoard(board.device_id, board.subsystem_id).code).family;
}

class Lockstep {
 public:
  explicit Lockstep(Platform& platform) : platform_(platform), hw_{platform, LockstepDrivers()} {
    hw_.console_reports = true;
  }

  int Run() {
    Line("");
    Line(kBanner);
    Line(kBannerPurpose);
    Line("");
    const std::optional<StoredSetting> setting = ReadSetting();
    if (!setting) return 0;
    if (setting->card != kFamilyQx1Agp && setting->card != kFamilyQx2) {
      return InvalidSetting("Registry Error!!! (#1)");
    }
    if (setting->percent > kHighestPercent || setting->percent < 0) {
      return InvalidSetting("Registry Error!!! (#2)");
    }
    // Only 0 (the Max board) and 1 (any other QX2 board) name a table slot.
    if (setting->card == kFamilyQx2 && setting->max > 1) {
      return InvalidSetting("Registry Error!!! (#3)");
    }
    const OsVersion version = platform_.system.GetVersion();
    PlatformKind kind = kPlatformUnclassified;
    if (version.platform_id == kVerPlatformWin32Windows) {
      kind = kPlatform9x;
    } else if (version.platform_id == kVerPlatformWin32Nt) {
      kind = version.major == 5 ? kPlatformWin2kXp : kPlatformNt4;
    } else {
      Line("Unsupported Platform!");
      return 0;
    }
    hw_.road = RoadOf(kind);
    ApplyingMark mark(platform_.registry);
    Apply(*setting, mark);
    Line("");
    if (mark.set()) {
      // The report is complete: the console window goes, and the mark
      // stays until the new clock has held, so a clock that fails in its
      // first minutes is not tried again at the next log-on.
      platform_.system.ReleaseConsole();
      platform_.system.Sleep(kClockHoldMs);
      mark.Clear();
    }
    return 1;
  }

 private:
  void Line(std::string_view text) { platform_.system.WriteConsoleLine(text); }
  void Report(std::string_view text) {
    Line("");
    Line(text);
  }
  int InvalidSetting(std::string_view which) {
    Line("Invalid Setting!!!");
    Line(which);
    return 0;
  }

  std::optional<StoredSetting> ReadSetting() {
    Registry& registry = platform_.registry;
    const RegHandle handle = RegHandle::Open(registry, kClockSettingKey);
    if (!handle) {
      Line("RegOpenKeyEx Failure!");
      return std::nullopt;
    }
    const RegKey key = handle.key();
    StoredSetting setting;
    const std::optional<std::uint32_t> percent = ReadDword(registry, key, "Percent");
    const std::optional<std::uint32_t> card =
        percent ? ReadDword(registry, key, "Card") : std::nullopt;
    if (!percent || !card) {
      Line("RegQueryValueEx Failure!");
      return std::nullopt;
    }
    setting.percent = static_cast<std::int32_t>(*percent);
    setting.card = *card;
    setting.max = ReadDword(registry, key, "Max").value_or(0);
    setting.interrupted = ReadDword(registry, key, kClockApplyingValue).has_value();
    return setting;
  }

  // Programs the card when the setting, the card found and the checks all
  // allow it, with the clock the Clock Tweak page showed for the stored
  // position: the same rated clock, base clock, offset and limit.
  void Apply(const StoredSetting& setting, ApplyingMark& mark) {
    const ClockTarget card{static_cast<ChipFamily>(setting.card), 0};
    const int base = BaseClockFor(ReadRatedClock(hw_, card));
    ClockVariant variant = kVariantQx1;
    if (setting.card == kFamilyQx1Agp) {
      Report("[ QX1 ]");
    } else if (setting.max == 0) {
      variant = kVariantQx2Max;
      Report("[ QX2 Max ]");
    } else {
      variant = kVariantQx2;
      Report("[ QX2 ]");
    }
    const bool safe_mode = platform_.system.GetSystemMetrics(kSmCleanBoot) != 0;

    const ClockRatios ratios = ReadClockRatios(hw_, card);
    const std::vector<CardListEntry> boards = CountBoards(hw_);
    OverclockState state = OverclockState::kProgram;
    if (DividerCheckFails(ratios.system_mhz, base,
                          {ratios.r1 * 10, ratios.r2 * 10, ratios.r3 * 10})) {
      state = OverclockState::kDividerError;
    }
    if (boards.size() > 1) state = OverclockState::kTooManyCards;
    // The stored choice is for the card found, and that card is the one
    // the clock operations address (bus 1, device 0).
    const bool other_family = boards.size() == 1 && FamilyOf(boards[0]) != card.family;
    const bool elsewhere = boards.size() == 1 && !other_family &&
                           (boards[0].bus != kCardBus || boards[0].device != card.slot_device);

    // Nothing is written to a card the scan did not find, nor again after
    // a log-on that died while applying this clock.
    const bool would_program =
        state == OverclockState::kProgram && boards.size() == 1 && !other_family && !elsewhere;
    const bool may_program =
        would_program && !setting.interrupted && (hw_.OnNtRoad() || !safe_mode);
    if (may_program) {
      const bool programmed = ProgramClock(hw_, card, base + ClockOffsetFor(setting.percent),
                                           base + kClockSpans[variant], true, &mark);
      if (programmed) Report("[ Card is OverClocked ]");
      // Refused before the card was touched, or put back as it was.
      if (!programmed && mark.set()) mark.Clear();
    }

    if (boards.size() > 1) Report("[ Card is NOT OverClocked too many cards! ]");
    if (state == OverclockState::kTooManyCards) Report("[ Card is NOT OverClocked ]");
    if (state == OverclockState::kDividerError)
      Report("[ Card is NOT OverClocked - Divider Error! ]");
    if (boards.empty()) Report("[ Card is NOT OverClocked - no card found ]");
    if (other_family) Report("[ Card is NOT OverClocked - the stored clock is for another card ]");
    if (elsewhere) Report("[ Card is NOT OverClocked - the card is not at bus 1, device 0 ]");
    if (setting.interrupted && would_program) {
      Report("[ Card is NOT OverClocked - the last log-on stopped while setting the clock ]");
    }
    if (safe_mode) Report("[ GetSystemMetrics (CM_CLEANBOOT) reports vaue > 0 ]");
  }

  Platform& platform_;
  HwContext hw_;
};

}  // namespace

int LockstepMain(Platform& platform) {
  try {
    return Lockstep(platform).Run();
  } catch (const ProcessExit& exit) {
    return exit.code;
  }
}

}  // namespace tunora
