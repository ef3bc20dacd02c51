// The PCI bus: devices with 256-byte configuration spaces, reached through
// configuration mechanism 1 at ports 0xCF8 (address) and 0xCFC..0xCFF
// (data). Every device is function 0 of its slot.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "sim/hardware/millisecond_clock.h"

namespace tunora::sim {

// Configuration registers the machine's devices are built around.
inline constexpr std::uint8_t kRegIds = 0x00;      // vendor low, device high
inline constexpr std::uint8_t kRegCommand = 0x04;  // bit 1: memory decoding
inline constexpr std::uint8_t kRegClassRevision = 0x08;
inline constexpr std::uint8_t kRegWindowBase = 0x14;  // maker's boards: register window
inline constexpr std::uint8_t kRegSubsystem = 0x2C;   // vendor low, id high
inline constexpr std::uint8_t kRegOption = 0x40;      // maker's boards: clock source, stop
inline constexpr std::uint8_t kRegDividerOverride = 0x50;
inline constexpr std::uint8_t kRegDividerCode = 0x54;
inline constexpr std::uint8_t kRegCardAgpCommand = 0xF8;

inline constexpr std::uint32_t kCommandMemorySpace = 0x2;

class PciDevice {
 public:
  // Ids are fixed at construction. The default write mask lets software
  // change the command register, cache line and latency, interrupt line
  // and everything from 0x40 on; ids, status, class, BARs and subsystem
  // ids are read-only until a set-up call opens them.
  PciDevice(std::uint16_t vendor_id, std::uint16_t device_id);

  std::uint16_t VendorId() const;
  std::uint16_t DeviceId() const;

  // What the bus sees. `reg` is rounded down to its dword.
  std::uint8_t Read8(std::uint8_t offset) const;
  std::uint32_t Read32(std::uint8_t reg) const;
  // Only the bits the write mask allows change.
  void Write8(std::uint8_t offset, std::uint8_t value);
  void Write32(std::uint8_t reg, std::uint32_t value);

  // Set-up: store a value whatever the mask says.
  void Set32(std::uint8_t reg, std::uint32_t value);
  void SetWriteMask32(std::uint8_t reg, std::uint32_t mask);
  std::uint32_t WriteMask32(std::uint8_t reg) const;

  void SetSubsystem(std::uint16_t subsystem_vendor, std::uint16_t subsystem_id);
  void SetClassCode(std::uint32_t class_code);  // class, subclass, interface (24 bits)

 private:
  std::array<std::uint8_t, 256> config_{};
  std::array<std::uint8_t, 256> write_mask_{};
};

// A configuration write as the device took it (after the write mask).
struct ConfigWrite {
  std::uint64_t time_ms = 0;
  std::uint8_t bus = 0;
  std::uint8_t device = 0;
  std::uint8_t offset = 0;  // byte offset of the first byte written
  std::uint8_t size = 0;    // 1, 2 or 4 bytes
  std::uint32_t value = 0;  // the bytes the software wrote
  friend bool operator==(const ConfigWrite&, const ConfigWrite&) = default;
};

inline constexpr std::uint16_t kConfigAddressPort = 0xCF8;
inline constexpr std::uint16_t kConfigDataPort = 0xCFC;

class PciBus {
 public:
  explicit PciBus(MillisecondClock clock = {});

  // Puts a device into a slot (replacing what was there) and returns the
  // bus's own copy, which stays put until the slot is filled again.
  PciDevice& Attach(std::uint8_t bus, std::uint8_t device, PciDevice config);
  PciDevice* Find(std::uint8_t bus, std::uint8_t device);
  const PciDevice* Find(std::uint8_t bus, std::uint8_t device) const;

  // Absent slots and functions other than 0 read all ones; writes to
  // them go nowhere.
  std::uint32_t ConfigRead32(std::uint8_t bus, std::uint8_t device, std::uint8_t function,
                             std::uint8_t reg) const;
  void ConfigWrite32(std::uint8_t bus, std::uint8_t device, std::uint8_t function, std::uint8_t reg,
                     std::uint32_t value);

  // Mechanism 1. Only a 32-bit access at 0xCF8 reaches the address
  // register; the data ports take 8, 16 and 32-bit accesses, each byte
  // port selecting its byte of the addressed dword.
  static bool DecodesPort(std::uint16_t port);
  std::uint32_t PortIn(std::uint16_t port, unsigned size);
  void PortOut(std::uint16_t port, unsigned size, std::uint32_t value);

  const std::vector<ConfigWrite>& ConfigWrites() const { return writes_; }
  void ClearConfigWrites() { writes_.clear(); }

 private:
  struct Decoded {
    PciDevice* device = nullptr;
    std::uint8_t bus = 0;
    std::uint8_t slot = 0;
    std::uint8_t reg = 0;
  };
  Decoded DecodeAddress();
  void LogWrite(std::uint8_t bus, std::uint8_t device, std::uint8_t offset, unsigned size,
                std::uint32_t value);

  MillisecondClock clock_;
  std::map<std::uint16_t, std::unique_ptr<PciDevice>> slots_;  // by bus << 5 | device
  std::uint32_t address_ = 0;                                  // the 0xCF8 latch
  std::vector<ConfigWrite> writes_;
};

// The host bridge at bus 0, device 0. Its AGP capability and command
// registers sit at 0xA0 / 0xA8, or at 0xB0 / 0xB8 on vendor 0x10B9.
struct HostBridgeConfig {
  std::uint16_t vendor_id = 0x8086;
  std::uint16_t device_id = 0x7190;
  std::uint32_t agp_capability = 0x00200002;  // bits 20-31: AGP major revision
  std::uint32_t agp_command = 0;              // rate bits 0-2, side-band 0x200
  // Only on 8086:1130 and 8086:2500: the chipset forces AGP 4x down to 2x.
  bool agp_override = false;
};
inline constexpr std::uint8_t kHostAgpOverrideRegister = 0xB0;  // bit 0
std::uint8_t HostAgpCapabilityRegister(std::uint16_t vendor_id);
std::uint8_t HostAgpCommandRegister(std::uint16_t vendor_id);
// Throws std::invalid_argument for an override on any other chipset.
PciDevice MakeHostBridge(const HostBridgeConfig& config);

// A board of the maker (vendor 0x102B).
struct MakerBoardConfig {
  std::uint16_t device_id = 0x0525;
  std::uint16_t subsystem_id = 0x217D;
  std::uint16_t subsystem_vendor = 0x102B;
  std::uint32_t window_base = 0xE7000000;  // 16 KB aligned
  std::uint32_t command = 0x0007;          // the BIOS left I/O, memory and mastering on
  std::uint32_t option = 0x00000001;       // register 0x40: clock from the system PLL
  std::uint32_t divider_override = 0;      // register 0x50
  std::uint32_t divider_code = 0;          // register 0x54
  std::uint32_t agp_command = 0;           // register 0xF8
};
inline constexpr std::uint16_t kMakerVendorId = 0x102B;
inline constexpr std::uint32_t kWindowBaseMask = 0xFFFFC000u;
// The window base register keeps its low 14 bits at 0, as a 16 KB BAR does.
PciDevice MakeMakerBoard(const MakerBoardConfig& config);

}  // namespace tunora::sim
