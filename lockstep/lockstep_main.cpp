// lockstep: started by Windows at log-on, it programs the card's clock
// once more to the permanent choice stored by tunora's Clock Tweak page
// and prints a short bracketed report. It asks nothing of the user.
#include <optional>
#include <string_view>

#include "hwaccess/clock.h"
#include "hwaccess/deploy.h"
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

// A marker that cannot be written only loses the guard against a log-on
// dying again; the clock is applied all the same.
void SetApplyingMarker(Registry& registry, bool applying) {
  const RegHandle key = RegHandle::Open(registry, kClockSettingKey);
  if (!key) return;
  if (applying) {
    SetNumber(registry, key.key(), kClockApplyingValue, 1);
  } else {
    registry.DeleteValue(key.key(), kClockApplyingValue);
  }
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
    Apply(*setting, IsNtRoad(kind));
    Line("");
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

  void Apply(const StoredSetting& setting, bool nt_road) {
    const ClockTarget card{static_cast<ChipFamily>(setting.card), 0, nt_road, ClockCopy::kLockstep};
    const int rated = ReadRatedClock(hw_, card);
    const int base = rated - 100;
    const int threshold = rated - 101;
    ClockTable base_clocks = kInitialBaseClocks;
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
    base_clocks[variant] = base;
    const bool safe_mode = platform_.system.GetSystemMetrics(kSmCleanBoot) != 0;
    const int offset = setting.percent <= 100 ? setting.percent : 3 * setting.percent - 200;

    const ClockRatios ratios = ReadClockRatios(hw_, card);
    const std::size_t cards = CountBoards(hw_, nt_road).size();
    OverclockState state = OverclockState::kProgram;
    const bool slow_divider = ratios.r1 < 1.5f || ratios.r2 < 1.5f || ratios.r3 < 1.5f;
    if (ratios.system_mhz < threshold && slow_divider) state = OverclockState::kDividerError;
    if (cards > 1) state = OverclockState::kTooManyCards;

    // Nothing is written to a card the scan did not find, nor again after
    // a log-on that died while applying this clock.
    const bool may_program = state == OverclockState::kProgram && cards == 1 &&
                             !setting.interrupted && (nt_road || !safe_mode);
    if (may_program) {
      SetApplyingMarker(platform_.registry, true);
      const int result = ProgramClock(hw_, card, base_clocks[variant] + offset,
                                      base_clocks[variant] + kClockSpans[variant], true);
      SetApplyingMarker(platform_.registry, false);
      if (result == 1) Report("[ Card is OverClocked ]");
    }

    if (cards > 1) Report("[ Card is NOT OverClocked too many cards! ]");
    if (state == OverclockState::kTooManyCards) Report("[ Card is NOT OverClocked ]");
    if (state == OverclockState::kDividerError)
      Report("[ Card is NOT OverClocked - Divider Error! ]");
    if (cards == 0) Report("[ Card is NOT OverClocked - no card found ]");
    if (setting.interrupted && state == OverclockState::kProgram && cards == 1) {
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
