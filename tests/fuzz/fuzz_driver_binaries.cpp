// Differential: arbitrary sequences of device-control requests sent both
// to the portable dispatch code and to the three driver binaries the build
// made (hwgate2.sys, hwgate4.sys, Hwgt9x.vxd),
// executed in the emulator, each over its own copy of the same small
// simulated PC (the 9x driver against the portable code of its
// W32_DEVICEIOCONTROL, compared by Win32 error). Both must answer with the
// same status, the same amount
// returned and the same system-buffer bytes (a map's reply is a caller
// address, so there both must show the same physical byte), and leave the
// card and the bus in the same state. A fault of the emulated driver is a
// finding too.
//
// Input, per request until it runs out: driver selector, code selector (a
// known code, or four raw bytes), input and output lengths (one byte
// each), then max(input, output) bytes of system buffer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "hwaccess/drivers/dioc.h"
#include "hwaccess/drivers/dispatch.h"
#include "resources/embedded.h"
#include "sim/emulator/nt_kernel_double.h"
#include "sim/emulator/vxd_double.h"
#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"
#include "sim/hardware/physical_memory.h"
#include "sim/os/process_memory.h"
#include "sim/os/sim_kernel.h"
#include "tests/hwaccess/hardware_rig.h"

namespace {

using tunora::drivers::DispatchResult;

constexpr std::uint32_t kKnownCodes[] = {tunora::kIoctlConfigRead,  tunora::kIoctlConfigWrite,
                                         tunora::kIoctlMapPhysical, tunora::kDiocVersion,
                                         tunora::kDiocMapPhysical,  tunora::kDiocOpen};
constexpr int kMaxRequests = 8;

// The low-level tests' machine: a host bridge, two of the maker's boards,
// another vendor's device with a window, and the video BIOS.
using Machine = tunora::testing::HardwareRig;

std::span<const std::uint8_t> Bytes(std::string_view image) {
  return {reinterpret_cast<const std::uint8_t*>(image.data()), image.size()};
}

// Loaded once: loading dominates a run, and the drivers keep no state
// between requests.
struct Binary {
  Binary(tunora::DriverKind kind, const char* service, Machine& machine) {
    const std::string_view image = tunora::DriverImage(kind);
    driver =
        std::make_unique<tunora::emulator::EmulatedNtDriver>(Bytes(image), service, machine.kernel);
    file = driver->Create(tunora::emulator::NtCaller::kAdministrator).file;
  }
  std::unique_ptr<tunora::emulator::EmulatedNtDriver> driver;
  std::uint32_t file = 0;
};

[[noreturn]] void Differ(const char* what, std::uint32_t code) {
  std::fprintf(stderr, "portable and emulated drivers differ in %s for code 0x%08X\n", what, code);
  std::abort();
}

std::uint32_t Le32(std::span<const std::uint8_t> bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Machine portable;
  Machine emulated;
  static Machine loader;
  static Binary binaries[] = {{tunora::DriverKind::kHwgate2, "hwgate2", loader},
                              {tunora::DriverKind::kHwgate4, "hwgate4", loader}};
  static tunora::emulator::EmulatedVxd vxd(Bytes(tunora::DriverImage(tunora::DriverKind::kHwgt9x)),
                                           loader.kernel);
  std::size_t pos = 0;
  auto byte = [&] { return pos < size ? data[pos++] : std::uint8_t{0}; };
  for (int n = 0; n < kMaxRequests && pos < size; ++n) {
    const std::uint8_t which = byte() % 3;
    const std::uint8_t selector = byte();
    std::uint32_t code = kKnownCodes[selector % std::size(kKnownCodes)];
    if (selector >= 0xF0) code = byte() | byte() << 8 | byte() << 16 | std::uint32_t{byte()} << 24;
    const std::uint32_t in = byte();
    const std::uint32_t out = byte();
    std::vector<std::uint8_t> request(std::max(in, out), 0);
    for (std::uint8_t& b : request) b = byte();

    std::vector<std::uint8_t> expected_buffer = request;
    std::vector<std::uint8_t> buffer = request;
    DispatchResult expected;
    DispatchResult result;
    try {
      if (which == 2) {
        // The portable code of the same W32_DEVICEIOCONTROL, input and
        // output in one buffer as the programs send them; the status
        // compared is the Win32 error.
        std::uint32_t returned = 0;
        const std::uint32_t error = tunora::drivers::ServeDiocRequest(
            portable.kernel,
            {code, expected_buffer.data(), in, expected_buffer.data(), out, &returned});
        vxd.SetKernel(emulated.kernel);
        const auto reply = vxd.DeviceIoControl(code, buffer, in, out);
        expected = {error, returned};
        result = {reply.error, reply.bytes_returned};
      } else {
        // As the NT drivers' wrapper calls it: a code of another method
        // than buffered comes with no system buffer.
        const std::span<std::uint8_t> system_buffer =
            (code & 3) == 0 ? std::span<std::uint8_t>(expected_buffer) : std::span<std::uint8_t>();
        expected = which == 0 ? tunora::drivers::Hwgate2DeviceControl(portable.kernel, code,
                                                                      system_buffer, in, out)
                              : tunora::drivers::Hwgate4DeviceControl(portable.kernel, code,
                                                                      system_buffer, in, out);
        Binary& binary = binaries[which];
        binary.driver->SetKernel(emulated.kernel);
        result = binary.driver->DeviceControl(binary.file, code, buffer, in, out);
      }
    } catch (const std::exception& fault) {
      std::fprintf(stderr, "the emulated driver faulted: %s\n", fault.what());
      std::abort();
    }
    if (result.status != expected.status) Differ("status", code);
    if (result.bytes_returned != expected.bytes_returned) Differ("bytes returned", code);
    const bool map_code =
        which == 2 ? code == tunora::kDiocMapPhysical : code == tunora::kIoctlMapPhysical;
    const bool served = which == 2 ? result.status == 0 : tunora::drivers::NtSuccess(result.status);
    const bool served_map = map_code && served && result.bytes_returned == 4;
    if (served_map) {
      // Caller addresses of two processes: compare what they show.
      const auto want = portable.process.PhysicalAddressOf(Le32(expected_buffer));
      const auto got = emulated.process.PhysicalAddressOf(Le32(buffer));
      if (want != got) Differ("the mapped address", code);
      std::copy_n(expected_buffer.begin(), 4, buffer.begin());
    }
    if (buffer != expected_buffer) Differ("system buffer bytes", code);
  }
  binaries[0].driver->SetKernel(loader.kernel);
  binaries[1].driver->SetKernel(loader.kernel);
  vxd.SetKernel(loader.kernel);
  if (portable.bus.ConfigWrites() != emulated.bus.ConfigWrites()) Differ("configuration writes", 0);
  for (unsigned reg = 0; reg < 256; reg += 4) {
    const auto r = static_cast<std::uint8_t>(reg);
    if (portable.board->Read32(r) != emulated.board->Read32(r) ||
        portable.second_board->Read32(r) != emulated.second_board->Read32(r)) {
      Differ("card registers", 0);
    }
  }
  if (portable.card.Writes() != emulated.card.Writes()) Differ("card window writes", 0);
  if (portable.process.ViewCount() != emulated.process.ViewCount()) Differ("views", 0);
  return 0;
}
