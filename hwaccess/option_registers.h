// Read-modify-write edits of the card's configuration registers that the
// clock programming uses. The card sits at bus 1, device `slot_device`,
// function 0. An edit for a family it does not name does nothing.
#pragma once

#include <cstdint>

#include "hwaccess/card.h"
#include "hwaccess/config_space.h"
#include "hwaccess/platform_kind.h"

namespace tunora {

inline constexpr std::uint8_t kCardBus = 1;
inline constexpr std::uint8_t kCommandRegister = 0x04;
inline constexpr std::uint8_t kWindowBaseRegister = 0x14;
inline constexpr std::uint8_t kOptionRegister = 0x40;
inline constexpr std::uint8_t kDividerOverrideRegister = 0x50;
inline constexpr std::uint8_t kDividerCodeRegister = 0x54;

inline constexpr std::uint32_t kWindowBaseMask = 0xFFFFC000u;

inline constexpr std::uint32_t kStopClockBit = 0x4;

// Register 0x40 bit 2 stops the system clock; clearing it restarts it.
void StopSystemClock(ConfigSpace& config, std::uint8_t slot_device);
void RestartSystemClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                        DriverRoad road);
// Register 0x40 bits 0-1 pick the clock source: 00 the PCI clock ...
void SelectPciClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                    DriverRoad road);
// ... 01 the system PLL.
void SelectPllClock(ConfigSpace& config, std::uint8_t slot_device, ChipFamily family,
                    DriverRoad road);
// Register 0x04 bit 1 lets the card answer memory cycles of its window.
void EnableMemoryDecoding(ConfigSpace& config, std::uint8_t slot_device);
// Register 0x14 as it reads; callers clear the low bits themselves.
std::uint32_t ReadRegisterWindowBase(ConfigSpace& config, std::uint8_t slot_device);

}  // namespace tunora
