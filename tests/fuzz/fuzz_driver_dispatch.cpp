// Arbitrary device-control requests to the three drivers over a small
// simulated PC, its kernel honest or misbehaving. The drivers must never
// read or write outside the system buffer (and refuse one shorter than
// the lengths), never report more bytes than the output holds, ask the
// kernel to map nothing outside the allowed windows, and every address a
// map request hands back must cover the requested bytes.
//
// Input: driver selector, code selector (a known code, or four raw bytes),
// input and output lengths (16-bit LE each), a switch byte, the kernel's
// fault amount (8 bytes LE, only when the switches pick a fault), the
// system buffer's shortfall (1 byte, only when switched on), then the
// system buffer's contents. Switches: bit 0 every mapping fails, bits 1-3
// the kernel's fault, bit 4 a short system buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "hwaccess/drivers/access_policy.h"
#include "hwaccess/drivers/dispatch.h"
#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_kernel.h"
#include "tests/support/misbehaving_kernel.h"

namespace {

using tunora::drivers::DispatchResult;
using tunora::testing::MisbehavingKernel;

constexpr std::uint32_t kKnownCodes[] = {
    tunora::kIoctlConfigRead, tunora::kIoctlConfigWrite, tunora::kIoctlMapPhysical,
    tunora::kDiocOpen,        tunora::kDiocClose,        tunora::kDiocVersion,
    tunora::kDiocMapPhysical,
};
constexpr std::uint32_t kMaxLength = 512;
constexpr std::uint32_t kWindowBase = 0xE7000000;
// Three switch bits pick the fault.
static_assert(MisbehavingKernel::kFaultCount == 8);

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint64_t Le(int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint64_t>(Byte()) << (8 * i);
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
    config.window_base = kWindowBase;
    physical.AttachCard(bus.Attach(1, 0, tunora::sim::MakeMakerBoard(config)), card);
    physical.SetVideoBios(Bios());
  }
  tunora::sim::PciBus bus;
  tunora::sim::CardModel card;
  tunora::sim::PhysicalMemory physical;
  tunora::sim::ProcessAddressSpace process{physical};
  tunora::sim::SimKernel honest{bus, process};
  MisbehavingKernel kernel{honest};
};

DispatchResult Dispatch(Machine& machine, std::uint8_t driver, std::uint32_t code,
                        std::span<std::uint8_t> buffer, std::uint32_t in, std::uint32_t out) {
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

bool Inside(std::uint64_t physical, std::uint32_t length, std::uint64_t start, std::uint64_t end) {
  return physical >= start && physical + length <= end;
}

// What the board's window looks like through the ports the driver reads.
std::uint64_t VisibleWindowBase(const MisbehavingKernel& kernel) {
  if (kernel.fault != MisbehavingKernel::Fault::kJunkPortReads) return kWindowBase;
  const auto junk = static_cast<std::uint32_t>(kernel.amount);
  if ((junk & 0xFFFFu) != tunora::drivers::kMakerVendor) return 0;
  return junk & tunora::drivers::kWindowBaseMask;
}

// Every range the driver asked the kernel for lies in the BIOS window or
// in the window the board shows.
void CheckMappings(const MisbehavingKernel& kernel) {
  const std::uint64_t base = VisibleWindowBase(kernel);
  for (const MisbehavingKernel::Mapping& mapping : kernel.mappings) {
    if (Inside(mapping.physical, mapping.length, tunora::drivers::kVideoBiosWindowStart,
               tunora::drivers::kVideoBiosWindowEnd)) {
      continue;
    }
    if (base != 0 && Inside(mapping.physical, mapping.length, base,
                            base + tunora::drivers::kCardWindowAllowance)) {
      continue;
    }
    std::abort();
  }
}

// A served map must show every requested byte; the process faults otherwise.
void TouchMappedRange(Machine& machine, std::uint8_t driver, std::uint32_t code,
                      const std::vector<std::uint8_t>& request,
                      const std::vector<std::uint8_t>& reply) {
  std::uint32_t length = 0;
  if (driver % 3 == 1 && code == tunora::kIoctlMapPhysical) length = Le32(request, 16);
  if (driver % 3 == 2 && code == tunora::kDiocMapPhysical) length = Le32(request, 4);
  // A translation into I/O space hands back a port, not a view.
  if (length == 0 || machine.kernel.mappings.empty()) return;
  const std::uint32_t address = Le32(reply, 0);
  machine.process.Read8(address);
  machine.process.Read8(address + length - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader reader(data, size);
  const std::uint8_t driver = reader.Byte();
  const std::uint8_t selector = reader.Byte();
  const auto code = static_cast<std::uint32_t>(
      selector < 0xE0 ? kKnownCodes[selector % std::size(kKnownCodes)] : reader.Le(4));
  const auto in = static_cast<std::uint32_t>(reader.Le(2) % (kMaxLength + 1));
  const auto out = static_cast<std::uint32_t>(reader.Le(2) % (kMaxLength + 1));
  const std::uint8_t switches = reader.Byte();

  Machine machine;
  machine.honest.SetMappingFails((switches & 1) != 0);
  machine.kernel.fault = static_cast<MisbehavingKernel::Fault>((switches >> 1) & 7);
  if (machine.kernel.fault != MisbehavingKernel::Fault::kNone) machine.kernel.amount = reader.Le(8);
  const std::uint32_t needed = in > out ? in : out;
  const std::uint32_t shortfall = (switches & 0x10) != 0 ? reader.Byte() % (needed + 1) : 0;
  // Exactly the bytes the kernel hands over, on the heap, so any overrun
  // is caught.
  std::vector<std::uint8_t> buffer(needed - shortfall, 0);
  for (std::size_t i = 0; i < buffer.size() && reader.Left() > 0; ++i) buffer[i] = reader.Byte();
  const std::vector<std::uint8_t> request = buffer;

  const DispatchResult result = Dispatch(machine, driver, code, buffer, in, out);
  if (result.bytes_returned > out) std::abort();
  if (!tunora::drivers::NtSuccess(result.status) && result.bytes_returned != 0) std::abort();
  if (shortfall != 0 && (result.status != tunora::drivers::STATUS_INVALID_PARAMETER ||
                         buffer != request || !machine.kernel.mappings.empty())) {
    std::abort();
  }
  CheckMappings(machine.kernel);
  if (tunora::drivers::NtSuccess(result.status) && result.bytes_returned == 4) {
    TouchMappedRange(machine, driver, code, request, buffer);
  }
  return 0;
}
