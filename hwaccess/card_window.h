// Byte access to the card's register window once it is mapped into this
// process: plain bytes, the DAC's indexed registers and the VGA sequencer.
#pragma once

#include <cstdint>

#include "platform/memory.h"
#include "platform/system.h"

namespace tunora {

inline constexpr std::uint32_t kDacIndexOffset = 0x3C00;
inline constexpr std::uint32_t kDacDataOffset = 0x3C0A;
inline constexpr std::uint32_t kSequencerIndexOffset = 0x1FC4;
inline constexpr std::uint32_t kSequencerDataOffset = 0x1FC5;

inline constexpr std::uint8_t kDacPllStatus = 0x2F;
inline constexpr std::uint8_t kPllLockedBit = 0x40;

// A PLL that never locks would otherwise hold the program, with the screen
// blank, forever. It locks within a millisecond or so; a quarter of a
// second, by the tick count, leaves room for a loaded machine whose yields
// give the processor away for whole time slices.
inline constexpr std::uint32_t kLockWaitMs = 250;

std::uint8_t WindowRead8(ProcessMemory& memory, std::uint32_t window, std::uint32_t offset);
void WindowWrite8(ProcessMemory& memory, std::uint32_t window, std::uint32_t offset,
                  std::uint8_t value);

std::uint8_t IndexedRead(ProcessMemory& memory, std::uint32_t window, std::uint8_t index);
void IndexedWrite(ProcessMemory& memory, std::uint32_t window, std::uint8_t index,
                  std::uint8_t value);

// Reads the PLL status until its lock bit is set, yielding the processor
// after every read. Returns false when `max_ms` milliseconds of the tick
// count went by unlocked (counted across the tick count's wrap).
bool WaitForPllLock(ProcessMemory& memory, System& system, std::uint32_t window,
                    std::uint32_t max_ms = kLockWaitMs);

std::uint8_t SequencerRead(ProcessMemory& memory, std::uint32_t window, std::uint8_t index);
void SequencerWrite(ProcessMemory& memory, std::uint32_t window, std::uint8_t index,
                    std::uint8_t value);

}  // namespace tunora
