// Arbitrary device-control requests to the three drivers over a small
// simulated PC. The drivers must never read or write outside the system
// buffer, never report more bytes than the output holds, and every
// address a map request hands back must cover the requested bytes.
//
// Input: driver selector, code selector (a known code, or four raw bytes),
// input and output lengths (16-bit LE each), a switch byte, then the
// system buffer's contents.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_kernel.h"

namespace {

using tunora::drivers::DispatchResult;

constexpr std::uint32_t kKnownCodes[] = {
    tunora::drivers::kIoctlConfigRead,  tunora::drivers::kIoctlConfigWrite,
    tunora::drivers::kIoctlMapPhysical, tunora::drivers::kDiocOpen,
    tunora::drivers::kDiocClose,        tunora::drivers::kDiocVersion,
    tunora::drivers::kDiocMapPhysical,
};
constexpr std::uint32_t kMaxLength = 512;

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint32_t Le(int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
  }
  std::size_t Left() const { return size_ - pos_; }
  const std::uint8_t* Here() const { return data_ + pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// Built once: the image never changes and building it dominates a run.
const std::vector<std::uint8_t>& Bios() {
  static const std::vector<std::uint8_t> image =
      tunora::sim::BuildVideoBios("V1.2", 0x7C00, std::vector<std::uint8_t>(80, 0));
  return image;
}

struct Machine {
  Machine() {
    bus.Attach(0, 0, tunora::sim::MakeHostBridge({}));
    tunora::sim::MakerBoardConfig config;
    config.window_base = 0xE7000000;
    physical.AttachCard(bus.Attach(1, 0, tunora::sim::MakeMakerBoard(config)), card);
    physical.SetVideoBios(Bios());
  }
  tunora::sim::PciBus bus;
  tunora::sim::CardModel card;
  tunora::sim::PhysicalMemory physical;
  tunora::sim::ProcessAddressSpace process{physical};
  tunora::sim::SimKernel kernel{bus, process};
};

DispatchResult Dispatch(Machine& machine, std::uint8_t driver, std::uint32_t code,
                        std::vector<std::uint8_t>& buffer, std::uint32_t in, std::uint32_t out) {
  switch (driver % 3) {
    case 0:
      return tunora::drivers::Hwgate2DeviceControl(machine.kernel, code, buffer, in, out);
    case 1:
      return tunora::drivers::Hwgate4DeviceControl(machine.kernel, code, buffer, in, out);
    default:
      return tunora::drivers::Hwgt9xDeviceControl(machine.kernel, code, buffer, in, out);
  }
}

std::uint32_t Le32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

// A served map must show every requested byte; the process faults otherwise.
void TouchMappedRange(Machine& machine, std::uint8_t driver, std::uint32_t code,
                      const std::vector<std::uint8_t>& request,
                      const std::vector<std::uint8_t>& reply) {
  std::uint32_t length = 0;
  if (driver % 3 == 1 && code == tunora::drivers::kIoctlMapPhysical) length = Le32(request, 16);
  if (driver % 3 == 2 && code == tunora::drivers::kDiocMapPhysical) length = Le32(request, 4);
  if (length == 0) return;
  const std::uint32_t address = Le32(reply, 0);
  machine.process.Read8(address);
  machine.process.Read8(address + length - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader reader(data, size);
  const std::uint8_t driver = reader.Byte();
  const std::uint8_t selector = reader.Byte();
  const std::uint32_t code =
      selector < 0xE0 ? kKnownCodes[selector % std::size(kKnownCodes)] : reader.Le(4);
  const std::uint32_t in = reader.Le(2) % (kMaxLength + 1);
  const std::uint32_t out = reader.Le(2) % (kMaxLength + 1);
  const std::uint8_t switches = reader.Byte();

  Machine machine;
  machine.kernel.SetMappingFails((switches & 1) != 0);
  // Exactly max(in, out) bytes on the heap, so any overrun is caught.
  std::vector<std::uint8_t> buffer(in > out ? in : out, 0);
  for (std::size_t i = 0; i < buffer.size() && reader.Left() > 0; ++i) buffer[i] = reader.Byte();
  const std::vector<std::uint8_t> request = buffer;

  const DispatchResult result = Dispatch(machine, driver, code, buffer, in, out);
  if (result.bytes_returned > out) std::abort();
  if (!tunora::drivers::NtSuccess(result.status) && result.bytes_returned != 0) std::abort();
  if (tunora::drivers::NtSuccess(result.status) && result.bytes_returned == 4) {
    TouchMappedRange(machine, driver, code, request, buffer);
  }
  return 0;
}
