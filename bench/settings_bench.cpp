// The settings engine on the default Windows 2000 QX2 DUO MAX machine: one
// Tweak-cycle read set and one Apply write set, against a registry that
// saves its hive file atomically after every change and against the same
// registry held in memory only. The difference is the cost of saving.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/bench_util.h"
#include "settings/setting_state.h"
#include "sim/machine/profile.h"
#include "sim/os/regedit4.h"
#include "sim/os/sim_registry.h"
#include "tests/support/forwarding_registry.h"

namespace {

using namespace tunora;

// Counts the registry calls one set makes.
class CountingRegistry : public ForwardingRegistry {
 public:
  using ForwardingRegistry::ForwardingRegistry;
  long calls = 0;

  std::int32_t OpenKey(RegKey p, std::string_view path, std::uint32_t a, RegKey* out) override {
    ++calls;
    return ForwardingRegistry::OpenKey(p, path, a, out);
  }
  std::int32_t CreateKey(RegKey p, std::string_view path, std::uint32_t a, RegKey* out) override {
    ++calls;
    return ForwardingRegistry::CreateKey(p, path, a, out);
  }
  std::int32_t EnumKey(RegKey k, std::uint32_t i, std::string* n, std::uint32_t b) override {
    ++calls;
    return ForwardingRegistry::EnumKey(k, i, n, b);
  }
  std::int32_t EnumValue(RegKey k, std::uint32_t i, std::string* n, std::uint32_t* t,
                         std::string* d) override {
    ++calls;
    return ForwardingRegistry::EnumValue(k, i, n, t, d);
  }
  std::int32_t QueryValue(RegKey k, std::string_view n, std::uint32_t* t, std::uint8_t* d,
                          std::uint32_t* s) override {
    ++calls;
    return ForwardingRegistry::QueryValue(k, n, t, d, s);
  }
  std::int32_t SetValue(RegKey k, std::string_view n, std::uint32_t t, const std::uint8_t* d,
                        std::uint32_t s) override {
    ++calls;
    return ForwardingRegistry::SetValue(k, n, t, d, s);
  }
  std::int32_t DeleteValue(RegKey k, std::string_view n) override {
    ++calls;
    return ForwardingRegistry::DeleteValue(k, n);
  }
  std::int32_t DeleteKey(RegKey p, std::string_view path) override {
    ++calls;
    return ForwardingRegistry::DeleteKey(p, path);
  }
  std::int32_t CloseKey(RegKey k) override {
    ++calls;
    return ForwardingRegistry::CloseKey(k);
  }
};

// Every setting changed, as after a user visited each page.
SettingState EverythingChanged() {
  SettingState state;
  state.current.agp_mode = kAgp2x;
  state.current.flip_on_vblank = 1;
  state.current.bus_mastering = 0;
  state.current.bitmap_caching = 0;
  state.current.ogl = {kOglSpeed, 1, kVsyncApplicationDecides, 0};
  state.current.subimage_cache_kb = 1024;
  state.current.multitexturing = 1;
  state.changed = {1, 1, 1, 1};
  return state;
}

struct Result {
  double read_us = 0;
  double apply_us = 0;
  long read_calls = 0;
  long apply_calls = 0;
  double saves_per_read = 0;
  double saves_per_apply = 0;
};

Result Measure(sim::SimRegistry& registry, int runs) {
  UnseenUi ui;
  CountingRegistry counting(registry);
  const SettingsContext context{counting, ui,     kPlatformWin2kXp, kFamilyQx2,
                                0x0525,   0x217D, {5, 82}};
  const SettingState changed = EverythingChanged();
  // One Apply first, so every later one meets the same registry.
  WriteAllSettings(context, changed);

  Result result;
  counting.calls = 0;
  std::uint64_t saves_before = registry.save_count();
  ReadAllSettings(context);
  result.read_calls = counting.calls;
  result.saves_per_read = static_cast<double>(registry.save_count() - saves_before);
  counting.calls = 0;
  saves_before = registry.save_count();
  WriteAllSettings(context, changed);
  result.apply_calls = counting.calls;
  result.saves_per_apply = static_cast<double>(registry.save_count() - saves_before);

  result.read_us = bench::MedianMicros(runs, [&] { ReadAllSettings(context); });
  result.apply_us = bench::MedianMicros(runs, [&] { WriteAllSettings(context, changed); });
  return result;
}

void Print(const char* label, const Result& r) {
  std::printf(
      "%-22s read set %9.1f us (%8.1f sets/s, %4ld registry calls, %8.0f calls/s, "
      "%.0f saves)\n",
      label, r.read_us, 1e6 / r.read_us, r.read_calls,
      static_cast<double>(r.read_calls) * 1e6 / r.read_us, r.saves_per_read);
  std::printf(
      "%-22s apply set %8.1f us (%8.1f sets/s, %4ld registry calls, %8.0f calls/s, "
      "%.0f saves)\n",
      "", r.apply_us, 1e6 / r.apply_us, r.apply_calls,
      static_cast<double>(r.apply_calls) * 1e6 / r.apply_us, r.saves_per_apply);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  const auto profile = sim::BuiltinProfile(sim::kDefaultProfile);
  if (!profile) {
    std::fprintf(stderr, "no built-in profile %s\n", sim::kDefaultProfile);
    return 1;
  }
  const sim::Hive hive = sim::ParseRegedit4(profile->registry, sim::kDefaultProfile);

  bench::ScratchDir scratch;
  sim::SimRegistry on_disk(hive, true, scratch.path() / "registry.reg");
  sim::SimRegistry in_memory(hive, true);

  // A save flushes the file to the disk, so the disk runs are few.
  const int disk_runs = runs / 10 > 3 ? runs / 10 : 3;
  std::printf("settings engine on %s, median of %d runs (%d with the hive file)\n",
              sim::kDefaultProfile, runs, disk_runs);
  const Result disk = Measure(on_disk, disk_runs);
  const Result memory = Measure(in_memory, runs);
  Print("hive saved per change", disk);
  Print("hive in memory", memory);
  const auto share = [](double with_file, double without) {
    return with_file > 0 ? 100.0 * (with_file - without) / with_file : 0.0;
  };
  std::printf(
      "share of the apply set spent saving: %.3f %% (%.1f us per save)\n",
      share(disk.apply_us, memory.apply_us),
      disk.saves_per_apply > 0 ? (disk.apply_us - memory.apply_us) / disk.saves_per_apply : 0.0);
  return 0;
}
