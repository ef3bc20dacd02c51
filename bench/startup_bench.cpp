// Time to the main window on the default machine, split into its parts:
// the NT card search (8160 configuration requests through hwgate2), the
// bus-1 search, the driver deployments; and the same 8160 reads as a bare
// loop on the simulated bus, for the ratio.
#include <cstdio>

#include "automation/window_model.h"
#include "bench/bench_util.h"
#include "hwaccess/config_access.h"
#include "hwaccess/deploy.h"
#include "hwaccess/pci_scan.h"
#include "hwaccess/scans.h"
#include "sim/machine/machine.h"
#include "sim/machine/sim_process.h"

namespace {

using namespace tunora;

// Closes every window as soon as it is shown and answers every box.
class ClosingUi : public UnseenUi {
 public:
  int DialogBox(const DialogTemplate& dialog, DialogHandler& handler) override {
    sim::WindowModel window(dialog);
    handler.OnInit(window);
    return kIdCancel;
  }
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  bench::ScratchDir scratch;
  const auto dir = scratch.path() / "pc";
  sim::Machine::Create(dir, *sim::BuiltinProfile(sim::kDefaultProfile));
  sim::Machine machine(dir);
  ClosingUi ui;

  const double whole = bench::MedianMicros(runs, [&] {
    sim::SimProcess process(machine, ui);
    TunoraMain(process.platform());
  });

  double deploy_hwgate2 = 0, scan = 0, bus_one = 0;
  std::uint64_t requests = 0;
  {
    sim::SimProcess process(machine, ui);
    HwContext hw{process.platform(), TunoraDrivers()};
    deploy_hwgate2 = bench::MedianMicros(runs, [&] {
      Hwgate2Session session = DeployHwgate2OrExit(hw);
      RemoveHwgate2(hw, session);
    });
    Hwgate2Session session = DeployHwgate2OrExit(hw);
    Hwgate2ConfigSpace config(process.platform().devices, session.device, session.event);
    const std::uint64_t before = process.devices().device_requests();
    scan = bench::MedianMicros(runs, [&] {
      DetectedCard card;
      AgpStatus agp;
      WalkForCard(config, card, agp);
    });
    requests = (process.devices().device_requests() - before) / static_cast<std::uint64_t>(runs);
    RemoveHwgate2(hw, session);
    bus_one = bench::MedianMicros(runs, [&] {
      const AgpSlotResult slot = FindAgpSlotDevice(hw);
      hw.kept_hwgate4 = kInvalidHandleValue;  // each round starts over
      ReleaseHwgate4(hw, slot.kept_device, Hwgate4Cleanup::kCloseDeviceDeleteFile);
    });
  }

  volatile std::uint32_t sink = 0;
  const double bare = bench::MedianMicros(runs, [&] {
    for (int b = 0; b <= 254; ++b) {
      for (int d = 0; d < 32; ++d) {
        sink = sink + machine.bus().ConfigRead32(static_cast<std::uint8_t>(b),
                                                 static_cast<std::uint8_t>(d), 0, 0);
      }
    }
  });

  std::printf("start-up to the main window      %10.1f us (median of %d)\n", whole, runs);
  std::printf("  hwgate2 deploy + remove        %10.1f us\n", deploy_hwgate2);
  std::printf("  NT card search (%llu requests) %10.1f us, %.3f us per request\n",
              static_cast<unsigned long long>(requests), scan,
              scan / static_cast<double>(requests));
  std::printf("  bus-1 search incl. hwgate4     %10.1f us\n", bus_one);
  std::printf("bare loop of 8160 bus reads      %10.1f us, %.3f us per read\n", bare, bare / 8160);
  std::printf("ratio start-up / bare loop       %10.1f\n", whole / bare);
  std::printf("ratio card search / bare loop    %10.1f\n", scan / bare);
  return 0;
}
