#include "sim/hardware/physical_memory.h"

#include <stdexcept>
#include <utility>

#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"

namespace tunora::sim {

void PhysicalMemory::SetVideoBios(std::vector<std::uint8_t> image) {
  if (image.size() != kVideoBiosSize) {
    throw std::invalid_argument("a video BIOS image is exactly 32 KB");
  }
  bios_ = std::move(image);
}

void PhysicalMemory::AttachCard(const PciDevice& config, CardModel& card) {
  cards_.push_back({&config, &card});
}

CardModel* PhysicalMemory::CardAt(std::uint64_t address, std::uint32_t& offset) const {
  for (const Card& card : cards_) {
    if ((card.config->Read32(kRegCommand) & kCommandMemorySpace) == 0) continue;
    const std::uint64_t base = card.config->Read32(kRegWindowBase) & kWindowBaseMask;
    if (base == 0 || address < base || address - base >= kCardWindowSize) continue;
    offset = static_cast<std::uint32_t>(address - base);
    return card.model;
  }
  return nullptr;
}

std::uint8_t PhysicalMemory::Read8(std::uint64_t address) {
  if (!bios_.empty() && address >= kVideoBiosBase && address - kVideoBiosBase < kVideoBiosSize) {
    return bios_[static_cast<std::size_t>(address - kVideoBiosBase)];
  }
  std::uint32_t offset = 0;
  if (CardModel* card = CardAt(address, offset)) return card->Read8(offset);
  return 0xFF;
}

void PhysicalMemory::Write8(std::uint64_t address, std::uint8_t value) {
  // The ROM ignores writes; so does an address nobody decodes.
  std::uint32_t offset = 0;
  if (CardModel* card = CardAt(address, offset)) card->Write8(offset, value);
}

}  // namespace tunora::sim
