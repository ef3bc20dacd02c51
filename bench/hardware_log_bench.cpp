// The hardware log as a user's one press of the button makes it (the
// connection, every class dump, the BIOS version through the kept hwgate4
// device, the file written twice), on the default machine and on machines
// with 10, 100 and 299 PnP entities of one allocated resource each; and the
// hardware enumeration alone on the tables such machines leave. Security can
// be set up once per process, so each press gets a fresh simulated process,
// made outside the timed part.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/bench_util.h"
#include "hwaccess/scans.h"
#include "hwlog/hardware_log.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"
#include "sim/machine/sim_process.h"
#include "sim/machine/wmi_inventory.h"

namespace tunora {
namespace {

constexpr const char* kProfile = "win2000-qx2max";

// NT-style identifiers of PCI functions behind a bridge, as many as asked,
// each with one interrupt; they replace the profile's own devices.
sim::Profile WithDevices(int count) {
  sim::Profile profile = *sim::BuiltinProfile(kProfile);
  if (count == 0) return profile;
  sim::Inventory inventory("SUPPORT-PC");
  for (int i = 0; i < count; ++i) {
    sim::PciAddress pci{0x10EC,
                        static_cast<std::uint16_t>(0x8000 + i),
                        0,
                        0,
                        0,
                        static_cast<std::uint8_t>(1 + i / 32),
                        static_cast<std::uint8_t>(i % 32),
                        0};
    char name[32];
    std::snprintf(name, sizeof name, "Bench device %d", i);
    inventory.AddDevice({sim::PciDeviceId(pci, false),
                         name,
                         "Bench maker",
                         "",
                         {{sim::PnpResource::Kind::kIrq, static_cast<std::uint64_t>(i % 16)}}});
  }
  const nlohmann::json devices = inventory.ToJson().at("classes");
  for (const char* name : {"Win32_PnPEntity", "Win32_PNPAllocatedResource"}) {
    profile.wmi["classes"][name] = devices.at(name);
  }
  return profile;
}

// One press of the button per iteration; arg 0 is the default machine.
void BM_HardwareLog(benchmark::State& state) {
  bench::ScratchDir scratch;
  const auto dir = scratch.path() / "pc";
  sim::Machine::Create(dir, WithDevices(static_cast<int>(state.range(0))));
  sim::Machine machine(dir);
  UnseenUi ui;
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    {
      sim::SimProcess process(machine, ui);
      HwContext hw{process.platform(), TunoraDrivers()};
      // As start-up leaves it: hwgate4 open for the rest of the run.
      hw.kept_hwgate4 = FindAgpSlotDevice(hw).kept_device;
      HardwareLogState log;
      state.ResumeTiming();
      GenerateHardwareLog({hw, 0}, log);
      state.PauseTiming();
      bytes = process.platform().files.ReadFile(kHardwareLogPath).value_or("").size();
    }
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
  // A log that ended early measures nothing.
  if (bytes < 10000) state.SkipWithError("the log ended early");
}
BENCHMARK(BM_HardwareLog)->Arg(0)->Arg(10)->Arg(100)->Arg(299)->Unit(benchmark::kMicrosecond);

// The enumeration section alone, on n entities and n allocations.
void BM_HardwareEnumeration(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const nlohmann::json classes = WithDevices(count).wmi.at("classes");
  PnpCollection collection;
  const auto text = [](const nlohmann::json& j, const char* key) {
    return j.at(key).is_string() ? j.at(key).get<std::string>() : std::string();
  };
  for (int i = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i + 1);
    const nlohmann::json& entity = classes.at("Win32_PnPEntity").at(k - 1);
    const nlohmann::json& allocation = classes.at("Win32_PNPAllocatedResource").at(k - 1);
    collection.descriptions[k] = text(entity, "Description");
    collection.manufacturers[k] = text(entity, "Manufacturer");
    collection.device_ids[k] = text(entity, "DeviceID");
    collection.antecedents[k] = text(allocation, "Antecedent");
    collection.dependents[k] = text(allocation, "Dependent");
  }
  collection.entity_count = collection.allocation_count = count + 1;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string section = HardwareEnumeration(collection);
    bytes = section.size();
    benchmark::DoNotOptimize(section.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_HardwareEnumeration)->Arg(10)->Arg(100)->Arg(299)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tunora

BENCHMARK_MAIN();
