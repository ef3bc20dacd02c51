// The walks over PCI configuration space: the start-up card search, the
// search for the card's device on bus 1 and the board count. These are the
// road-independent cores; hwaccess/scans.h wraps them with the driver each
// road needs.
#pragma once

#include <cstdint>
#include <vector>

#include "hwaccess/agp_status.h"
#include "hwaccess/card.h"
#include "hwaccess/config_space.h"

namespace tunora {

// Walks bus 0..254, devices 0..31, classifies the maker's boards, then
// reads the AGP status when a supported card was found. Returns CardCode.
CardCode WalkForCard(ConfigSpace& config, DetectedCard& card, AgpStatus& agp);

// First device of the maker on bus 1, or nothing.
bool WalkBusOne(ConfigSpace& config, std::uint32_t& slot_device);

struct CardListEntry {
  std::uint8_t bus;
  std::uint8_t device;
  std::uint16_t device_id;
  std::uint16_t subsystem_vendor;
  std::uint16_t subsystem_id;
};
inline constexpr std::size_t kCardListCapacity = 32;

// Distinct supported boards (bus, subsystem id), at most 32.
std::vector<CardListEntry> WalkBoards(ConfigSpace& config);

}  // namespace tunora
