// Requests per second through the driver binaries the build made,
// executed in the emulator, against the portable dispatch code they are
// built from, on the same simulated card: hwgate4's configuration read
// (the scans' request, thousands per start-up) and write, and the 9x
// driver's version request when this build has the 9x driver. Prints its
// own run time last, which scripts/test reports.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "bench/bench_util.h"
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

namespace {

using namespace tunora;

struct Machine {
  Machine() {
    bus.Attach(0, 0, sim::MakeHostBridge({}));
    physical.AttachCard(bus.Attach(1, 0, sim::MakeMakerBoard({})), card);
    physical.SetVideoBios(sim::BuildVideoBios("V1.2", 0x7C00, std::vector<std::uint8_t>(80, 0)));
  }
  sim::PciBus bus;
  sim::CardModel card;
  sim::PhysicalMemory physical;
  sim::ProcessAddressSpace process{physical};
  sim::SimKernel kernel{bus, process};
};

std::vector<std::uint8_t> Record(std::uint8_t reg, std::uint32_t low) {
  return {1, 0, reg, 2, static_cast<std::uint8_t>(low), static_cast<std::uint8_t>(low >> 8), 0, 0,
          0, 0, 0,   0};
}

using Send = std::function<drivers::DispatchResult(std::uint32_t, std::span<std::uint8_t>,
                                                   std::uint32_t, std::uint32_t)>;

// Median time of one request over `runs` batches of `batch` requests.
double MicrosPerRequest(int runs, int batch, std::uint32_t code, std::vector<std::uint8_t> request,
                        std::uint32_t in, std::uint32_t out, const Send& send) {
  std::vector<std::uint8_t> buffer = request;
  return bench::MedianMicros(runs,
                             [&] {
                               for (int i = 0; i < batch; ++i) {
                                 buffer = request;
                                 if (send(code, buffer, in, out).status != 0) std::abort();
                               }
                             }) /
         batch;
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const int batch = 500;
  Machine portable, emulated;
  const std::string_view image = DriverImage(DriverKind::kHwgate4);
  emulator::EmulatedNtDriver hwgate4(
      std::span(reinterpret_cast<const std::uint8_t*>(image.data()), image.size()), "hwgate4",
      emulated.kernel);
  const std::uint32_t file = hwgate4.Create(emulator::NtCaller::kAdministrator).file;
  const Send portable_hwgate4 = [&](std::uint32_t code, std::span<std::uint8_t> buffer,
                                    std::uint32_t in, std::uint32_t out) {
    return drivers::Hwgate4DeviceControl(portable.kernel, code, buffer, in, out);
  };
  const Send emulated_hwgate4 = [&](std::uint32_t code, std::span<std::uint8_t> buffer,
                                    std::uint32_t in, std::uint32_t out) {
    return hwgate4.DeviceControl(file, code, buffer, in, out);
  };
  const std::string_view vxd_image = DriverImage(DriverKind::kHwgt9x);
  emulator::EmulatedVxd hwgt9x(
      std::span(reinterpret_cast<const std::uint8_t*>(vxd_image.data()), vxd_image.size()),
      emulated.kernel);
  const Send portable_hwgt9x = [&](std::uint32_t code, std::span<std::uint8_t> buffer,
                                   std::uint32_t in, std::uint32_t out) {
    std::uint32_t returned = 0;
    const std::uint32_t error = drivers::ServeDiocRequest(
        portable.kernel, {code, buffer.data(), in, buffer.data(), out, &returned});
    return drivers::DispatchResult{error, returned};
  };
  const Send emulated_hwgt9x = [&](std::uint32_t code, std::span<std::uint8_t> buffer,
                                   std::uint32_t in, std::uint32_t out) {
    const auto reply = hwgt9x.DeviceIoControl(code, buffer, in, out);
    return drivers::DispatchResult{reply.error, reply.bytes_returned};
  };
  struct Row {
    const char* what;
    std::uint32_t code;
    std::vector<std::uint8_t> request;
    std::uint32_t in, out;
    const Send* base;
    const Send* subject;
  };
  const Row rows[] = {
      {"hwgate4 configuration read", kIoctlConfigRead, Record(0, 0), 12, 12, &portable_hwgate4,
       &emulated_hwgate4},
      {"hwgate4 configuration write (option register)", kIoctlConfigWrite, Record(0x40, 1), 12, 12,
       &portable_hwgate4, &emulated_hwgate4},
      {"Hwgt9x version", kDiocVersion, std::vector<std::uint8_t>(4, 0), 0, 4, &portable_hwgt9x,
       &emulated_hwgt9x},
  };
  std::printf("%d runs of %d requests each; requests per second (median)\n\n", runs, batch);
  std::printf("| request | portable dispatch | emulated binary | ratio |\n|---|---|---|---|\n");
  for (const Row& row : rows) {
    const double base =
        MicrosPerRequest(runs, batch, row.code, row.request, row.in, row.out, *row.base);
    const double subject =
        MicrosPerRequest(runs, batch, row.code, row.request, row.in, row.out, *row.subject);
    std::printf("| %s | %.0f/s | %.0f/s | %.0f |\n", row.what, 1e6 / base, 1e6 / subject,
                subject / base);
  }
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("\ndriver_bench ran %.2f s\n", total);
  return 0;
}
