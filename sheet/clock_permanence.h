// The permanent clock: the choice stored as the ClockSetting key, lockstep
// written into the Windows directory and registered to run at log-on; and
// "Card Default", which removes all three again.
#pragma once

#include <cstdint>
#include <string_view>

#include "hwaccess/card.h"
#include "hwaccess/clock.h"
#include "platform/platform.h"

namespace tunora {

// Under kRunKey; the ClockSetting values live under kClockSettingKey.
inline constexpr std::string_view kLockstepRunValue = "LOCKSTEPEXE";
inline constexpr std::string_view kLockstepFileName = "\\Lockstep.exe";
// The Run value holds the whole path buffer, the path at its start.
inline constexpr std::uint32_t kRunPathBufferBytes = 255;
// lockstep refuses a stored position above this one.
inline constexpr int kHighestStoredPercent = 120;

inline constexpr std::string_view kUnableToAccessRegistry1 = "Unable to Access Registry! (#1)";
inline constexpr std::string_view kUnableToAccessRegistry2 = "Unable to Access Registry! (#2)";
inline constexpr std::string_view kErrorSettingValue1 = "Error Setting Registry Value (#1)";
inline constexpr std::string_view kErrorSettingValue2 = "Error Setting Registry Value (#2)";
inline constexpr std::string_view kErrorSettingValue3 = "Error Setting Registry Value (#3)";
inline constexpr std::string_view kUnableToWriteLockstep = "Unable to Write Lockstep.exe!";

struct ClockChoice {
  int slider_position = 0;
  ChipFamily family = kFamilyUnknown;
  bool max_board = false;
};

// Stores "Percent", "Card" and (QX2 only) "Max" and clears lockstep's
// "Applying" mark, writes Lockstep.exe and the Run value. Each failure is reported and the later
// steps still run, except that nothing follows a Run key that does not open.
void MakeClockPermanent(Platform& platform, const ClockChoice& choice);

// Deletes the file, the ClockSetting key and the Run value; silent.
void RemoveClockPermanence(Platform& platform);

}  // namespace tunora
