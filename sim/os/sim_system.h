// System port of the simulated PC: its Windows version and boot mode, a
// clock that is virtual by default (Sleep advances it at no cost) or real
// for the terminal UI, and the effects people would notice (sound, shell,
// restart) reported to the UI as events; programs the shell starts run on
// the machine when it knows them (regedit). A sound file is checked as a WAV
// file before it counts as played.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "sim/os/wave_file.h"

namespace tunora::sim {

struct SystemSetup {
  OsVersion version;
  int clean_boot = 0;
  bool real_time = false;
  bool shutdown_privilege = true;  // the user holds SeShutdownPrivilege
  // A console program's standard output; without one its lines go to the
  // UI as events ("console" followed by the quoted line).
  std::ostream* console = nullptr;
  // Where PlaySound reads its file; without it no file plays.
  Files* files = nullptr;
  // Fault switch: ExitWindowsEx fails even with the privilege enabled.
  bool restart_refused = false;
};

struct PlayedSound {
  std::string path;
  WaveFormat format;
};

// What a yield (Sleep(0)) costs on the machine's clock: 50 microseconds.
inline constexpr std::uint32_t kYieldsPerMillisecond = 20;

class SimSystem : public System {
 public:
  // `virtual_ms` is the machine's clock; it outlives this object.
  SimSystem(SystemSetup setup, std::uint64_t& virtual_ms, Ui& ui)
      : setup_(std::move(setup)), virtual_ms_(virtual_ms), ui_(ui) {}

  OsVersion GetVersion() override { return setup_.version; }
  int GetSystemMetrics(int index) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override { return static_cast<std::uint32_t>(virtual_ms_); }
  bool Beep(std::uint32_t frequency, std::uint32_t duration_ms) override;
  bool PlaySoundFile(std::string_view path) override;
  bool ShellOpen(std::string_view file, std::string_view parameters) override;
  bool ShellStartHidden(std::string_view file, std::string_view parameters) override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindows(std::uint32_t flags) override;
  void WriteConsoleLine(std::string_view line) override;

  // The programs the shell can start on the machine: one runs to its end
  // and returns the line that says what it did; nothing when the machine
  // has no such program.
  using ShellPrograms =
      std::function<std::optional<std::string>(std::string_view file, std::string_view parameters)>;
  void set_shell_programs(ShellPrograms programs) { shell_programs_ = std::move(programs); }

  bool reboot_requested() const { return reboot_requested_; }
  std::uint64_t sleep_calls() const { return sleep_calls_; }
  // The files PlaySoundFile played, in order.
  const std::vector<PlayedSound>& sounds_played() const { return sounds_played_; }

 private:
  SystemSetup setup_;
  std::uint64_t& virtual_ms_;
  Ui& ui_;
  bool shutdown_privilege_ = false;
  bool reboot_requested_ = false;
  ShellPrograms shell_programs_;
  std::uint64_t sleep_calls_ = 0;
  std::uint32_t yields_this_ms_ = 0;
  std::vector<PlayedSound> sounds_played_;
};

}  // namespace tunora::sim
