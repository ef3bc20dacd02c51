// The simulated PC keeps the ports' promises, the same ones the Windows
// adapters are held to under Wine (tests/contract/port_contract.h).
#include "tests/contract/port_contract.h"

#include <gtest/gtest.h>

#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(PortContract, SimulatedPcKeepsWhatThePortsPromise) {
  TestMachine test_machine("win2000-qx2max");
  auto machine = test_machine.Open();
  FakeUi ui;
  sim::SimProcess process(*machine, ui);
  Platform& platform = process.platform();
  EXPECT_EQ(Lines(contract::CheckRegistry(platform.registry)), "");
  EXPECT_EQ(Lines(contract::CheckFiles(platform.files)), "");
  EXPECT_EQ(Lines(contract::CheckSystem(platform.system, kVerPlatformWin32Nt, 5)), "");
}

}  // namespace
}  // namespace tunora::testing
