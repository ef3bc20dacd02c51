#include "hwaccess/card_window.h"

namespace tunora {

std::uint8_t WindowRead8(ProcessMemory& memory, std::uint32_t window, std::uint32_t offset) {
  return memory.Read8(window + offset);
}

void WindowWrite8(ProcessMemory& memory, std::uint32_t window, std::uint32_t offset,
                  std::uint8_t value) {
  memory.Write8(window + offset, value);
}

std::uint8_t IndexedRead(ProcessMemory& memory, std::uint32_t window, std::uint8_t index) {
  WindowWrite8(memory, window, kDacIndexOffset, index);
  return WindowRead8(memory, window, kDacDataOffset);
}

void IndexedWrite(ProcessMemory& memory, std::uint32_t window, std::uint8_t index,
                  std::uint8_t value) {
  WindowWrite8(memory, window, kDacIndexOffset, index);
  WindowWrite8(memory, window, kDacDataOffset, value);
}

bool WaitForPllLock(ProcessMemory& memory, System& system, std::uint32_t window,
                    std::uint32_t max_ms) {
  const std::uint32_t start = system.GetTickCount();
  while (true) {
    const bool locked = (IndexedRead(memory, window, kDacPllStatus) & kPllLockedBit) != 0;
    system.Sleep(0);
    if (locked) return true;
    // Unsigned: right across the wrap after 49.7 days.
    if (system.GetTickCount() - start >= max_ms) return false;
  }
}

std::uint8_t SequencerRead(ProcessMemory& memory, std::uint32_t window, std::uint8_t index) {
  WindowWrite8(memory, window, kSequencerIndexOffset, index);
  return WindowRead8(memory, window, kSequencerDataOffset);
}

void SequencerWrite(ProcessMemory& memory, std::uint32_t window, std::uint8_t index,
                    std::uint8_t value) {
  WindowWrite8(memory, window, kSequencerIndexOffset, index);
  WindowWrite8(memory, window, kSequencerDataOffset, value);
}

}  // namespace tunora
