// A small simulated PC for the low-level access tests: a host bridge at
// 0:0, one maker's board at 1:0 with its register window, a second maker's
// board at 2:3 without memory decoding, another vendor's device at 0:7, a
// video BIOS, and the kernel the drivers run on.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_kernel.h"

namespace tunora::testing {

inline constexpr std::uint32_t kRigWindowBase = 0xE7000000;
inline constexpr std::uint32_t kRigSecondWindowBase = 0xE8000000;
inline constexpr std::uint32_t kRigForeignBase = 0xD0000000;
inline constexpr std::uint32_t kRigBlockOffset = 0x7C00;

struct HardwareRig {
  HardwareRig();
  HardwareRig(const HardwareRig&) = delete;
  HardwareRig& operator=(const HardwareRig&) = delete;

  std::uint64_t now_ms = 0;
  sim::PciBus bus;
  sim::CardModel card;
  sim::PhysicalMemory physical;
  sim::ProcessAddressSpace process{physical};
  sim::SimKernel kernel{bus, process};
  sim::PciDevice* board = nullptr;         // 1:0, 0x102B:0x0525, subsystem 0x217D
  sim::PciDevice* second_board = nullptr;  // 2:3, 0x102B:0x0521
  sim::PciDevice* foreign = nullptr;       // 0:7, 0x1234:0x5678 with a BAR at 0x14
  std::vector<std::uint8_t> bios;
};

}  // namespace tunora::testing
