// What the drivers agree to do for a caller. A driver that maps any
// physical range and writes any configuration register of any device for
// whoever opens it lets any program read or overwrite all of memory. The
// programs only ever map the video BIOS and the maker's card register
// window, and only write the card's command and option registers, so
// that is all the drivers serve. Configuration reads
// stay open because the scans read every slot.
#pragma once

#include <cstdint>

#include "hwaccess/drivers/kernel_services.h"

namespace tunora::drivers {

// The option-ROM space of the video adapter. The BIOS itself is 32 KB,
// but lockstep's 9x rated-clock read maps 8191 bytes from 0xC7000, past it.
inline constexpr std::uint64_t kVideoBiosWindowStart = 0xC0000;
inline constexpr std::uint64_t kVideoBiosWindowEnd = 0xD0000;  // exclusive

inline constexpr std::uint16_t kMakerVendor = 0x102B;
inline constexpr std::uint8_t kWindowBaseRegister = 0x14;
inline constexpr std::uint32_t kWindowBaseMask = 0xFFFFC000u;
// Bit 0 of a base register set: the window lies in I/O space.
inline constexpr std::uint32_t kIoSpaceBit = 0x1u;
// One caller maps 0xFFFF bytes from the window base, so the allowance is
// larger than the 16 KB window itself.
inline constexpr std::uint64_t kCardWindowAllowance = 0x10000;

// Map requests: only memory space, translated or not.
bool MapAddressSpaceAllowed(std::uint32_t address_space);

// Map requests: [physical, physical + length) must lie inside the video
// BIOS window or inside the allowance of a maker's card register window,
// found by reading configuration space.
bool MapRangeAllowed(KernelServices& kernel, std::uint64_t physical, std::uint64_t length);

// Configuration writes: only the maker's devices, only the command
// register and the two option registers the clock programming edits.
bool ConfigWriteAllowed(KernelServices& kernel, std::uint8_t bus, std::uint8_t device,
                        std::uint8_t reg);

}  // namespace tunora::drivers
