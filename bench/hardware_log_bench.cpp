// The hardware log on the default machine, as a user's one press of the
// button makes it: the connection, every class dump, the BIOS version
// through the driver and the file written twice. Security can be set up
// once per process, so each run gets a fresh simulated process; only the
// log itself is timed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_util.h"
#include "hwlog/hardware_log.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/machine/sim_process.h"

int main(int argc, char** argv) {
  using namespace tunora;
  const int runs = argc > 1 ? std::atoi(argv[1]) : 50;
  bench::ScratchDir scratch;
  const auto dir = scratch.path() / "pc";
  sim::Machine::Create(dir, *sim::BuiltinProfile("win2000-qx2max"));
  sim::Machine machine(dir);
  bench::SilentUi ui;

  std::vector<double> times;
  std::size_t bytes = 0;
  for (int i = 0; i < runs; ++i) {
    sim::SimProcess process(machine, ui);
    HwContext hw{process.platform(), TunoraDrivers()};
    HardwareLogState state;
    const auto start = std::chrono::steady_clock::now();
    GenerateHardwareLog({hw, true, 0}, state);
    times.push_back(
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
            .count());
    bytes = process.platform().files.ReadFile(kHardwareLogPath).value_or("").size();
  }
  std::sort(times.begin(), times.end());
  std::printf("hardware log, one press  %9.1f us (median of %d), %zu bytes, %.3f us per byte\n",
              times[times.size() / 2], runs, bytes, times[times.size() / 2] / double(bytes));
  return bytes > 1000 ? 0 : 1;  // a log that ended early measures nothing
}
