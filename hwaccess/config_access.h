// The three ways the programs reach PCI configuration space: the ports
// themselves on 9x, the hwgate4 or hwgate2 driver on NT.
#pragma once

#include <cstdint>

#include "hwaccess/config_space.h"
#include "platform/devices.h"
#include "platform/port_io.h"

namespace tunora {

// A failed driver read leaves this in both halves, so the value read
// (0xF0F0F0F0) matches no vendor.
inline constexpr std::uint32_t kConfigReadFiller = 0xF0F0;

// Windows 98/ME: the address goes out to 0xCF8, the data moves through
// 0xCFC, both as 32-bit accesses. Nothing locks the pair.
class PortConfigSpace : public ConfigSpace {
 public:
  explicit PortConfigSpace(PortIo& ports) : ports_(ports) {}
  std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
               std::uint32_t value) override;

 private:
  PortIo& ports_;
};

// NT, hwgate4: synchronous requests (the driver completes every request
// at once), width 2, input and output the same 12-byte record.
class Hwgate4ConfigSpace : public ConfigSpace {
 public:
  Hwgate4ConfigSpace(Devices& devices, Handle device, std::uint32_t filler = kConfigReadFiller)
      : devices_(devices), device_(device), filler_(filler) {}
  std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
               std::uint32_t value) override;

 private:
  Devices& devices_;
  Handle device_;
  std::uint32_t filler_;
};

// NT, hwgate2: each request is overlapped on the deployment's event and
// then waited for. The driver only reads; a write is sent all the same
// and the driver refuses it.
class Hwgate2ConfigSpace : public ConfigSpace {
 public:
  Hwgate2ConfigSpace(Devices& devices, Handle device, Handle event)
      : devices_(devices), device_(device), event_(event) {}
  std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override;
  void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
               std::uint32_t value) override;

 private:
  void Send(std::uint32_t code, std::uint8_t* record);

  Devices& devices_;
  Handle device_;
  Handle event_;
};

}  // namespace tunora
