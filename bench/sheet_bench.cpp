// The tweak sheet on the default machine: from the Tweak press to the
// sheet's first page (the read set, the board count through the kept
// hwgate4 device, the pages and the first page's refresh), and an Apply of
// every setting with the hive saved to disk after each writer. The board
// count and the read set are also timed alone, for the split.
#include <cstdio>

#include "app/app_windows.h"
#include "app/start_up.h"
#include "automation/sheet_model.h"
#include "bench/bench_util.h"
#include "hwaccess/board_tables.h"
#include "hwaccess/scans.h"
#include "sheet/prop_sheet.h"
#include "sim/machine/machine.h"
#include "sim/machine/sim_process.h"

namespace {

using namespace tunora;

// Opens each sheet to its first page and closes it again.
class FirstPageUi : public Ui {
 public:
  int MessageBox(std::string_view, std::string_view, std::uint32_t) override { return kIdOk; }
  int DialogBox(const DialogTemplate&, DialogHandler&) override { return kIdCancel; }
  int PropertySheet(const SheetTemplate& sheet, SheetHandler& handler) override {
    sim::SheetModel model(sheet, handler);
    model.Open();
    return 0;
  }
  void BeginWaitCursor() override {}
  void EndWaitCursor() override {}
};

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  bench::ScratchDir scratch;
  const auto dir = scratch.path() / "pc";
  sim::Machine::Create(dir, *sim::BuiltinProfile(sim::kDefaultProfile));
  sim::Machine machine(dir);
  FirstPageUi ui;
  sim::SimProcess process(machine, ui);
  App app(process.platform());
  IdentifyMachine(app);
  app.state.chip_family = NameCard(app.state.card.card_code).family;

  const double tweak = bench::MedianMicros(runs, [&] { RunTweak(app); });
  const double boards =
      bench::MedianMicros(runs, [&] { app.state.card_list = CountBoards(app.hw); });
  const double reads = bench::MedianMicros(runs, [&] {
    ReadSettingsForSheet(app.state.Settings(app.platform.registry, ui), &app.state.settings);
  });

  SettingState everything = app.state.settings;
  everything.current = {kAgp2x, 0, 0, 0, {kOglCustom, 1, kVsyncApplicationDecides, 1}, 1024, 1};
  everything.changed = {1, 1, 1, 1, 1};
  const double apply = bench::MedianMicros(runs, [&] {
    app.state.settings = everything;
    WritePendingChanges(app);
  });

  std::printf("Tweak press to the first page    %10.1f us (median of %d)\n", tweak, runs);
  std::printf("  board count via kept hwgate4   %10.1f us\n", boards);
  std::printf("  read set                       %10.1f us\n", reads);
  std::printf("Apply of every setting, saved    %10.1f us\n", apply);
  std::printf("ratio Apply / Tweak press        %10.1f\n", apply / tweak);
  return 0;
}
