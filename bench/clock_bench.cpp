// The clock programming: the divider search over its 15,004 candidates
// (a target that matches early and one that never matches), and one whole
// ProgramClock (kept, no test period) on each road's simulated card,
// counting its configuration requests and card register accesses.
#include <cstdio>
#include <cstdlib>

#include "bench/bench_util.h"
#include "hwaccess/clock.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/machine/sim_process.h"

namespace {

using namespace tunora;

class CountingMemory : public ProcessMemory {
 public:
  explicit CountingMemory(ProcessMemory& inner) : inner_(inner) {}
  std::uint8_t Read8(std::uint32_t address) override {
    ++accesses;
    return inner_.Read8(address);
  }
  void Write8(std::uint32_t address, std::uint8_t value) override {
    ++accesses;
    inner_.Write8(address, value);
  }
  long accesses = 0;

 private:
  ProcessMemory& inner_;
};

class CountingPorts : public PortIo {
 public:
  explicit CountingPorts(PortIo& inner) : inner_(inner) {}
  std::uint8_t In8(std::uint16_t p) override { return ++accesses, inner_.In8(p); }
  std::uint16_t In16(std::uint16_t p) override { return ++accesses, inner_.In16(p); }
  std::uint32_t In32(std::uint16_t p) override { return ++accesses, inner_.In32(p); }
  void Out8(std::uint16_t p, std::uint8_t v) override { ++accesses, inner_.Out8(p, v); }
  void Out16(std::uint16_t p, std::uint16_t v) override { ++accesses, inner_.Out16(p, v); }
  void Out32(std::uint16_t p, std::uint32_t v) override { ++accesses, inner_.Out32(p, v); }
  long accesses = 0;

 private:
  PortIo& inner_;
};

struct Programming {
  double micros = 0;
  long config_accesses = 0;  // driver requests on NT, port accesses on 9x
  long register_accesses = 0;
};

Programming MeasureProgramming(const char* profile_name, ChipFamily family, int runs) {
  bench::ScratchDir scratch;
  const auto dir = scratch.path() / "pc";
  const sim::Profile profile = *sim::BuiltinProfile(profile_name);
  sim::Machine::Create(dir, profile);
  sim::Machine machine(dir);
  UnseenUi ui;
  sim::SimProcess process(machine, ui);
  Platform& p = process.platform();
  CountingMemory memory(p.memory);
  CountingPorts ports(p.ports);
  Platform counted{p.registry, p.devices, ports, memory, p.files, p.system, p.ui, p.wmi};
  HwContext hw{counted, TunoraDrivers()};
  const bool nt = profile.version.platform_id == kVerPlatformWin32Nt;
  hw.road = nt ? DriverRoad::kNt : DriverRoad::k9x;
  const ClockTarget card{family, 0};

  Programming result;
  const std::uint64_t requests = process.devices().device_requests();
  // A refused programming would time nothing worth reporting.
  if (!ProgramClock(hw, card, 228, 260, true)) std::abort();
  result.config_accesses =
      nt ? static_cast<long>(process.devices().device_requests() - requests) : ports.accesses;
  result.register_accesses = memory.accesses;
  int target = 200;
  result.micros = bench::MedianMicros(runs, [&] {
    target = target == 200 ? 228 : 200;  // a change each time
    if (!ProgramClock(hw, card, target, 260, true)) std::abort();
  });
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  volatile int sink = 0;
  const double early = bench::MedianMicros(runs, [&] { sink = sink + SearchDividers(166)->n; });
  const double never =
      bench::MedianMicros(runs, [&] { sink = sink + SearchDividers(134).has_value(); });
  const Programming nt = MeasureProgramming("win2000-qx2max", kFamilyQx2, runs);
  const Programming ninex = MeasureProgramming("win98-qx1", kFamilyQx1Agp, runs);

  std::printf("divider search, target 166 (found) %8.1f us, %.4f us per candidate\n", early,
              early / 15004);
  std::printf("divider search, target 134 (none)  %8.1f us\n", never);
  std::printf(
      "ProgramClock, Windows 2000 (hwgate4) %8.1f us: %ld driver requests, %ld register "
      "accesses\n",
      nt.micros, nt.config_accesses, nt.register_accesses);
  std::printf(
      "ProgramClock, Windows 98 (Hwgt9x)    %8.1f us: %ld port accesses, %ld register "
      "accesses\n",
      ninex.micros, ninex.config_accesses, ninex.register_accesses);
  return 0;
}
