#include "sim/os/sim_system.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <thread>

#include "automation/ui_script.h"
#include "sim/os/host_player.h"

namespace tunora::sim {

int SimSystem::GetSystemMetrics(int index) {
  switch (index) {
    case kSmCleanBoot:
      return setup_.clean_boot;
    case kSmCxIcon:
    case kSmCyIcon:
      return 32;
    default:
      return 0;
  }
}

void SimSystem::Sleep(std::uint32_t milliseconds) {
  ++sleep_calls_;
  if (setup_.real_time) {
    if (milliseconds == 0) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    ui_.Waiting();
  }
  virtual_ms_ += milliseconds;
  // A yield costs a little time too, so a wait bounded by the tick count
  // ends on the virtual clock as well.
  if (milliseconds == 0 && ++yields_this_ms_ == kYieldsPerMillisecond) {
    yields_this_ms_ = 0;
    ++virtual_ms_;
  }
}

bool SimSystem::Beep(std::uint32_t frequency, std::uint32_t duration_ms) {
  ui_.Event("beep " + std::to_string(frequency) + " " + std::to_string(duration_ms));
  virtual_ms_ += duration_ms;
  return true;
}

bool SimSystem::PlaySoundFile(std::string_view path) {
  const std::string quoted = "\"" + std::string(path) + "\"";
  const std::optional<std::string> bytes =
      setup_.files != nullptr ? setup_.files->ReadFile(path) : std::nullopt;
  if (!bytes) {
    ui_.Event("sound not played " + quoted + ": no such file");
    return false;
  }
  const WaveCheck check = CheckWaveFile(*bytes);
  if (!check.format) {
    // PlaySound fails on a file it cannot play.
    ui_.Event("sound not played " + quoted + ": " + check.problem);
    return false;
  }
  ui_.Event("sound played " + quoted + " " + check.format->Describe());
  sounds_played_.push_back({std::string(path), *check.format});
  if (setup_.real_time) {
    // Someone is listening: this computer's player, when it has one.
    const char* search_path = std::getenv("PATH");
    PlayOnHost(FindAudioPlayers(search_path != nullptr ? search_path : ""), *bytes);
  }
  // SND_SYNC: the call returns when the sound has ended.
  virtual_ms_ += check.format->DurationMs();
  return true;
}

bool SimSystem::ShellOpen(std::string_view file, std::string_view parameters) {
  std::string line = "shell open \"" + std::string(file) + "\"";
  if (!parameters.empty()) line += " \"" + std::string(parameters) + "\"";
  ui_.Event(line);
  return true;
}

bool SimSystem::ShellStartHidden(std::string_view file, std::string_view parameters) {
  ui_.Event("shell start \"" + std::string(file) + "\" \"" + std::string(parameters) + "\" hidden");
  std::optional<std::string> outcome;
  if (shell_programs_) outcome = shell_programs_(file, parameters);
  if (!outcome) {
    // ShellExecute fails on a file it cannot find.
    ui_.Event("shell start: not a program the simulated PC runs: " + std::string(file));
    return false;
  }
  ui_.Event(*outcome);
  return true;
}

bool SimSystem::EnableShutdownPrivilege() {
  // 9x has no privileges to adjust; NT grants it to the interactive user
  // unless the machine's policy denies it.
  if (setup_.version.platform_id == kVerPlatformWin32Nt && !setup_.shutdown_privilege) return false;
  shutdown_privilege_ = true;
  return true;
}

bool SimSystem::ExitWindows(std::uint32_t flags) {
  if (setup_.version.platform_id == kVerPlatformWin32Nt && !shutdown_privilege_) return false;
  if ((flags & kEwxReboot) == 0 || setup_.restart_refused) return false;
  reboot_requested_ = true;
  ui_.Event("reboot requested");
  return true;
}

void SimSystem::WriteConsoleLine(std::string_view line) {
  if (setup_.console != nullptr) {
    *setup_.console << line << std::endl;
    return;
  }
  ui_.Event("console " + QuoteScriptString(line));
}

}  // namespace tunora::sim
