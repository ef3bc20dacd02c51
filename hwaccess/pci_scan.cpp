#include "hwaccess/pci_scan.h"

#include "hwaccess/board_tables.h"

namespace tunora {
namespace {

constexpr int kLastBus = 254;  // bus 255 is never visited
constexpr int kDevicesPerBus = 32;
constexpr std::uint8_t kSubsystemRegister = 0x2C;

}  // namespace

CardCode WalkForCard(ConfigSpace& config, DetectedCard& card, AgpStatus& agp) {
  ReadAgpOverride(config, agp);
  card.card_code = kNoCard;
  bool found = false;
  for (int b = 0; b <= kLastBus; ++b) {
    for (int d = 0; d < kDevicesPerBus; ++d) {
      const auto bus = static_cast<std::uint8_t>(b);
      const auto dev = static_cast<std::uint8_t>(d);
      const std::uint32_t id = config.Read32(bus, dev, 0x00);
      const std::uint32_t vendor = id & 0xFFFF;
      if (b == 0 && d == 0 && vendor == kHostBridgeVendorB0) {
        card.host_bridge_vendor = kHostBridgeVendorB0;
      } else if (vendor == kNoVendor) {
        continue;
      }
      if (found || vendor != kMakerVendorId) continue;

      card.device_id = id >> 16;
      if (IsClassifiedDevice(card.device_id)) {
        card.subsystem_id = config.Read32(bus, dev, kSubsystemRegister) >> 16;
        const ModelCode model = ClassifyBoard(card.device_id, card.subsystem_id);
        card.card_code = model.code;
        found = model.found;
      } else {
        // An unsupported board of the maker undoes an earlier supported
        // one that did not stop the walk.
        card.card_code = kNoCard;
      }
      card.bus = bus;
      card.device = dev;
    }
  }
  if (card.card_code != kNoCard) ReadAgpStatus(config, card, agp);
  return card.card_code;
}

bool WalkBusOne(ConfigSpace& config, std::uint32_t& slot_device) {
  for (int d = 0; d < kDevicesPerBus; ++d) {
    if ((config.Read32(1, static_cast<std::uint8_t>(d), 0x00) & 0xFFFF) == kMakerVendorId) {
      slot_device = static_cast<std::uint32_t>(d);
      return true;
    }
  }
  return false;
}

std::vector<CardListEntry> WalkBoards(ConfigSpace& config) {
  std::vector<CardListEntry> list;
  for (int b = 0; b <= kLastBus; ++b) {
    for (int d = 0; d < kDevicesPerBus; ++d) {
      const auto bus = static_cast<std::uint8_t>(b);
      const auto dev = static_cast<std::uint8_t>(d);
      const std::uint32_t id = config.Read32(bus, dev, 0x00);
      if ((id & 0xFFFF) != kMakerVendorId) continue;
      const auto device_id = static_cast<std::uint16_t>(id >> 16);
      for (const BoardRow& row : BoardCountTable()) {
        if (row.device_id != device_id) continue;
        const std::uint32_t subsystem = config.Read32(bus, dev, kSubsystemRegister);
        if (row.subsystem_id != (subsystem >> 16)) continue;
        bool known = false;
        for (const CardListEntry& e : list) {
          known = known || (e.bus == bus && e.subsystem_id == row.subsystem_id);
        }
        if (!known && list.size() < kCardListCapacity) {
          list.push_back({bus, dev, device_id, static_cast<std::uint16_t>(subsystem & 0xFFFF),
                          row.subsystem_id});
        }
        break;
      }
    }
  }
  return list;
}

}  // namespace tunora
