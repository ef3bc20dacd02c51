// What the start-up scan learns about the maker's card, and the chip
// family the main window derives from it.
#pragma once

#include <cstdint>

namespace tunora {

inline constexpr std::uint16_t kMakerVendorId = 0x102B;
inline constexpr std::uint16_t kNoVendor = 0xFFFF;

using CardCode = std::int32_t;
inline constexpr CardCode kNoCard = -1;

using ChipFamily = std::int32_t;
inline constexpr ChipFamily kFamilyUnknown = 0x7FFF;
inline constexpr ChipFamily kFamilyQx1Agp = 200;
inline constexpr ChipFamily kFamilyQx1ParlayPci = 201;
inline constexpr ChipFamily kFamilyQx1SolasePci = 202;
inline constexpr ChipFamily kFamilyQx1QmsA = 203;
inline constexpr ChipFamily kFamilyQx1QmsB = 204;
inline constexpr ChipFamily kFamilyQx2 = 400;
inline constexpr ChipFamily kFamilyQx2e = 450;
inline constexpr ChipFamily kFamilyQx2eDuoPci = 451;
inline constexpr ChipFamily kFamilyFarview = 452;
inline constexpr ChipFamily kFamilyQx3 = 550;

struct DetectedCard {
  CardCode card_code = 0;
  std::uint32_t device_id = 0;
  std::uint32_t subsystem_id = 0xFFFF;
  std::uint8_t bus = 0;  // slot remembered by the walk
  std::uint8_t device = 0;
  std::uint16_t host_bridge_vendor = kNoVendor;  // 0x10B9 or 0xFFFF
};

}  // namespace tunora
