// Configuration space straight over a simulated PCI bus, for the walks'
// own tests: no ports and no driver in between, and a record of every
// read so a test can say which slots a walk looked at.
#pragma once

#include <cstdint>
#include <vector>

#include "hwaccess/config_space.h"
#include "sim/hardware/pci_bus.h"

namespace tunora::testing {

struct ConfigRead {
  std::uint8_t bus, device, reg;
};

class BusConfigSpace : public ConfigSpace {
 public:
  explicit BusConfigSpace(sim::PciBus& bus) : bus_(bus) {}

  std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override {
    reads.push_back({bus, device, reg});
    return bus_.ConfigRead32(bus, device, 0, reg);
  }
  void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
               std::uint32_t value) override {
    ++writes;
    bus_.ConfigWrite32(bus, device, 0, reg, value);
  }

  std::vector<ConfigRead> reads;
  int writes = 0;

 private:
  sim::PciBus& bus_;
};

// A board of the maker with the given ids, everything else as the BIOS
// leaves it.
inline sim::PciDevice MakerBoard(std::uint16_t device_id, std::uint16_t subsystem_id,
                                 std::uint32_t agp_command = 0) {
  sim::MakerBoardConfig config;
  config.device_id = device_id;
  config.subsystem_id = subsystem_id;
  config.agp_command = agp_command;
  return sim::MakeMakerBoard(config);
}

// Another maker's device: subsystem register filled like a maker's board
// so only the vendor tells them apart.
inline sim::PciDevice ForeignDevice(std::uint16_t vendor_id, std::uint16_t device_id,
                                    std::uint16_t subsystem_id = 0) {
  sim::PciDevice device(vendor_id, device_id);
  device.SetSubsystem(vendor_id, subsystem_id);
  return device;
}

}  // namespace tunora::testing
