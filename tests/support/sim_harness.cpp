#include "tests/support/sim_harness.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "platform/platform.h"
#include "sim/machine/host.h"
#include "sim/os/regedit4.h"
#include "sim/os/sim_files.h"

namespace tunora::testing {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/tunora-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

sim::Profile Builtin(const std::string& name) {
  auto profile = sim::BuiltinProfile(name);
  if (!profile) throw std::runtime_error("no built-in profile " + name);
  return *profile;
}

sim::Profile WithCaptureMode(const std::string& name, const char* mode_hex) {
  sim::Profile profile = Builtin(name);
  profile.registry +=
      "\n[HKEY_LOCAL_MACHINE\\Software\\Quillex\\VidKeeper\\Record]\n"
      "\"AdvancedMode\"=hex:" +
      std::string(mode_hex) + "\n";
  return profile;
}

TestMachine::TestMachine(const std::string& builtin_profile)
    : TestMachine(Builtin(builtin_profile)) {}

TestMachine::TestMachine(const sim::Profile& profile) : dir_(temp_.path() / "machine") {
  sim::Machine::Create(dir_, profile);
}

ProgramRun TestMachine::RunTunora(std::string_view script) const { return Run(TunoraMain, script); }

ProgramRun TestMachine::Run(const sim::ProgramMain& main, std::string_view script) const {
  sim::HostRequest request;
  request.machine_dir = dir_;
  request.script_text = std::string(script);
  if (request.script_text.empty()) request.script_text = "# nothing\n";
  std::ostringstream out, err;
  ProgramRun run;
  run.exit_code = sim::RunHosted("tunora", main, request, out, err);
  run.transcript = out.str();
  run.errors = err.str();
  return run;
}

std::string TestMachine::Registry(std::string_view key) const {
  return sim::ExportRegedit4(Open()->registry().hive(), key);
}

bool TestMachine::FileExists(std::string_view windows_path) const {
  auto machine = Open();
  sim::SimFiles files(machine->drive_c(), machine->profile().windows_directory);
  return files.FileExists(windows_path);
}

}  // namespace tunora::testing
