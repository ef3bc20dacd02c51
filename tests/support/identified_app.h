// tunora's state after start-up on a built-in machine: the card found and
// named, the platform and driver version known, no window shown.
#pragma once

#include <memory>
#include <string>

#include "app/start_up.h"
#include "hwaccess/board_tables.h"
#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {

// Members in construction order: the process takes the UI, the app the
// process's platform.
struct IdentifiedApp {
  explicit IdentifiedApp(const std::string& profile)
      : test_machine(profile),
        machine(test_machine.Open()),
        process(*machine, ui),
        app(process.platform()) {
    IdentifyMachine(app);
    app.state.chip_family = NameCard(app.state.card.card_code).family;
  }
  SettingsContext Settings() { return app.state.Settings(machine->registry(), ui); }

  TestMachine test_machine;
  std::unique_ptr<sim::Machine> machine;
  FakeUi ui;
  sim::SimProcess process;
  App app;
};

}  // namespace tunora::testing
