#include "platform/win32/port_io_win32.h"

namespace tunora::win32 {

std::uint8_t Win32PortIo::In8(std::uint16_t port) {
  std::uint8_t value;
  asm volatile("inb %w1, %b0" : "=a"(value) : "Nd"(port));
  return value;
}

std::uint16_t Win32PortIo::In16(std::uint16_t port) {
  std::uint16_t value;
  asm volatile("inw %w1, %w0" : "=a"(value) : "Nd"(port));
  return value;
}

std::uint32_t Win32PortIo::In32(std::uint16_t port) {
  std::uint32_t value;
  asm volatile("inl %w1, %0" : "=a"(value) : "Nd"(port));
  return value;
}

void Win32PortIo::Out8(std::uint16_t port, std::uint8_t value) {
  asm volatile("outb %b0, %w1" : : "a"(value), "Nd"(port));
}

void Win32PortIo::Out16(std::uint16_t port, std::uint16_t value) {
  asm volatile("outw %w0, %w1" : : "a"(value), "Nd"(port));
}

void Win32PortIo::Out32(std::uint16_t port, std::uint32_t value) {
  asm volatile("outl %0, %w1" : : "a"(value), "Nd"(port));
}

}  // namespace tunora::win32
