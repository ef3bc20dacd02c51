#include "platform/win32/memory_win32.h"

#include <cstdint>

namespace tunora::win32 {
namespace {

// Device memory: every access must reach the card, in order, as written.
volatile std::uint8_t* At(std::uint32_t address) {
  return reinterpret_cast<volatile std::uint8_t*>(static_cast<std::uintptr_t>(address));
}

}  // namespace

std::uint8_t Win32ProcessMemory::Read8(std::uint32_t address) { return *At(address); }

void Win32ProcessMemory::Write8(std::uint32_t address, std::uint8_t value) { *At(address) = value; }

}  // namespace tunora::win32
