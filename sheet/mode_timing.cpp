#include "sheet/mode_timing.h"

#include <cmath>

namespace tunora {
namespace {

// The driver's arithmetic runs in double precision on single-precision
// constants; their exact values change the truncations below.
constexpr double kSixtieth = static_cast<double>(0.016666668f);
constexpr double kThreeTenths = static_cast<double>(0.30000001f);
constexpr double kSyncShare = static_cast<double>(0.079999998f);
constexpr double kThirtyFifth = static_cast<double>(0.028571429f);
constexpr double kFrontPorchScale = 0.06802721088435375;  // 1 / 14.7

// Truncation toward zero to a 32-bit integer.
std::int32_t Trunc(double value) { return static_cast<std::int32_t>(value); }

void Put16(ModeTimingRecord& record, std::size_t at, std::uint16_t value) {
  record[at] = static_cast<std::uint8_t>(value & 0xFF);
  record[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

ModeTimingRecord ToRecord(const ModeTiming& timing) {
  ModeTimingRecord record{};
  Put16(record, 0, timing.refresh_hz);
  Put16(record, 2, timing.line_khz);
  Put16(record, 4, static_cast<std::uint16_t>(timing.pixel_clock_khz & 0xFFFF));
  Put16(record, 6, static_cast<std::uint16_t>(timing.pixel_clock_khz >> 16));
  Put16(record, 8, timing.h_front_porch);
  Put16(record, 10, timing.h_sync);
  Put16(record, 12, timing.h_back_porch);
  Put16(record, 14, timing.v_front_porch);
  Put16(record, 16, timing.v_sync);
  Put16(record, 18, timing.v_back_porch);
  return record;
}

ModeTiming ComputeModeTiming(int horizontal, int vertical) {
  const double active = Trunc(horizontal * 0.125 * 8);
  // Line period estimate (microseconds), then the vertical sync plus back
  // porch in lines and the field rate it gives.
  const double period_estimate = kSixtieth / (vertical + 1) * 1000000;
  const std::int32_t sync_and_back_porch = Trunc(650 / period_estimate);
  const std::int32_t field_rate =
      Trunc((1 / period_estimate) / (sync_and_back_porch + vertical + 1) * 1000000);
  const double period = period_estimate / (60.0 / field_rate);
  const std::int32_t duty = Trunc(30 - period * kThreeTenths);
  // The divisor is 100 - duty / 16, as the driver computes it.
  const std::int32_t blank = Trunc(Trunc(duty * active / (100 - duty * 0.0625)) * 16.0);
  const double total = blank + active;
  const double sync = total * kSyncShare;
  const std::int32_t back_porch = Trunc(std::floor(blank / 24) * 0.125 * 8);
  const std::int32_t sync_eighths = Trunc(sync * 0.125);

  ModeTiming timing;
  timing.refresh_hz = 60;
  timing.line_khz = static_cast<std::uint16_t>(Trunc(1000 / period) & 0xFF);
  timing.pixel_clock_khz = static_cast<std::uint32_t>(Trunc(total / period * 256));
  timing.h_front_porch =
      static_cast<std::uint16_t>(Trunc((back_porch + 8 * sync_eighths) * kFrontPorchScale + 1));
  timing.h_sync = static_cast<std::uint16_t>(Trunc(sync * 10 * kThirtyFifth * 0.125 * 8));
  timing.h_back_porch = static_cast<std::uint16_t>(back_porch);
  timing.v_front_porch = 1;
  timing.v_sync = 3;
  timing.v_back_porch = static_cast<std::uint16_t>(Trunc(sync_and_back_porch - kThreeTenths));
  return timing;
}

std::string_view AspectClass(int horizontal, int vertical) {
  const double ratio = static_cast<double>(static_cast<float>(horizontal)) /
                       static_cast<double>(static_cast<float>(vertical));
  switch (Trunc(ratio * 100)) {
    case 133:
      return "4:3 Aspect Ratio";
    case 125:
      return "5:4 Aspect Ratio";
    case 177:
      return "16:9 Aspect Ratio";
    case 160:
      return "16:10 Aspect Ratio";
    default:
      return "Unknown Aspect Ratio";
  }
}

std::vector<std::string> ResolutionList::Texts() const {
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) texts.push_back(std::to_string(At(i)));
  return texts;
}

}  // namespace tunora
