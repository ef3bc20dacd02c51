// The Monitor Profile page's arithmetic: the 60 Hz timing record the
// display driver takes with a custom resolution, the aspect class the page
// shows for a pair, and the resolutions it offers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tunora {

// ModeTiming: 24 bytes, little-endian fields. The defaults are the record's
// contents before any computation (640 x 480 at 60 Hz).
struct ModeTiming {
  std::uint16_t refresh_hz = 60;
  std::uint16_t line_khz = 32;  // the high byte always 0
  std::uint32_t pixel_clock_khz = 25175;
  std::uint16_t h_front_porch = 16;
  std::uint16_t h_sync = 96;
  std::uint16_t h_back_porch = 48;
  std::uint16_t v_front_porch = 10;
  std::uint16_t v_sync = 2;
  std::uint16_t v_back_porch = 33;
  // Bytes 20-23 are reserved and always 0.
};

inline constexpr std::size_t kModeTimingBytes = 24;
using ModeTimingRecord = std::array<std::uint8_t, kModeTimingBytes>;

ModeTimingRecord ToRecord(const ModeTiming& timing);

// The driver's 60 Hz timing for `horizontal` x `vertical`, computed with
// the single-precision constants and truncations the driver expects.
ModeTiming ComputeModeTiming(int horizontal, int vertical);

// "4:3 Aspect Ratio", "5:4 ...", "16:9 ...", "16:10 ..." or
// "Unknown Aspect Ratio".
std::string_view AspectClass(int horizontal, int vertical);

// A generated list of resolutions: entry i is first + step x i.
struct ResolutionList {
  int first;
  int step;
  int count;
  int At(int index) const { return first + step * index; }
  // Each entry as plain decimal text, in order.
  std::vector<std::string> Texts() const;
};

inline constexpr ResolutionList kHorizontalResolutions{320, 8, 281};  // up to 2560
inline constexpr ResolutionList kVerticalResolutions{200, 2, 669};    // up to 1536

}  // namespace tunora
