// Simulated machines for tests: a fresh machine directory per test, and
// whole runs of tunora on it through the scripted UI, in-process.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "hwaccess/platform_kind.h"
#include "sim/machine/host.h"
#include "sim/machine/machine.h"
#include "sim/machine/profile.h"

namespace tunora::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct ProgramRun {
  int exit_code = 0;
  std::string transcript;
  std::string errors;
};

class TestMachine {
 public:
  explicit TestMachine(const std::string& builtin_profile);
  explicit TestMachine(const sim::Profile& profile);

  const std::filesystem::path& dir() const { return dir_; }
  // Runs tunora with the script; the machine's state is saved afterwards
  // as the real host does.
  ProgramRun RunTunora(std::string_view script) const;
  // The same with a test's own program main over tunora's parts.
  ProgramRun Run(const sim::ProgramMain& main, std::string_view script) const;
  // Opens the machine to look at what a run left.
  std::unique_ptr<sim::Machine> Open() const { return std::make_unique<sim::Machine>(dir_); }
  // HKEY_LOCAL_MACHINE below `key` as REGEDIT4.
  std::string Registry(std::string_view key = "") const;
  bool FileExists(std::string_view windows_path) const;

 private:
  TempDir temp_;
  std::filesystem::path dir_;
};

sim::Profile Builtin(const std::string& name);
// The road the start-up would fix for this machine's Windows.
inline DriverRoad RoadOf(const sim::Machine& machine) {
  return machine.nine_x() ? DriverRoad::k9x : DriverRoad::kNt;
}
// A built-in machine whose capture application stores its advanced mode
// as the one byte `mode_hex` ("00", "01").
sim::Profile WithCaptureMode(const std::string& name, const char* mode_hex);

}  // namespace tunora::testing
