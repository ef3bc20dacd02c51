// System port: version, metrics, time, sound, shell and restart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tunora {

inline constexpr std::uint32_t kVerPlatformWin32s = 0;
inline constexpr std::uint32_t kVerPlatformWin32Windows = 1;
inline constexpr std::uint32_t kVerPlatformWin32Nt = 2;

inline constexpr int kSmCxIcon = 11;
inline constexpr int kSmCyIcon = 12;
inline constexpr int kSmCleanBoot = 67;

inline constexpr std::uint32_t kEwxReboot = 0x2;
inline constexpr std::uint32_t kEwxForce = 0x4;

// OSVERSIONINFO.
struct OsVersion {
  std::uint32_t platform_id = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::string csd;
};

class System {
 public:
  virtual ~System() = default;
  virtual OsVersion GetVersion() = 0;
  virtual int GetSystemMetrics(int index) = 0;
  // Sleep(0) yields the processor.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  virtual std::uint32_t GetTickCount() = 0;
  virtual bool Beep(std::uint32_t frequency, std::uint32_t duration_ms) = 0;
  // PlaySound(path, NULL, SND_FILENAME | SND_SYNC).
  virtual bool PlaySoundFile(std::string_view path) = 0;
  // ShellExecute(NULL, "open", file, params, NULL, SW_SHOWNORMAL).
  virtual bool ShellOpen(std::string_view file, std::string_view parameters) = 0;
  // ShellExecute(NULL, NULL, file, params, NULL, SW_HIDE): the default
  // verb, no window; does not wait for the program. A system that starts
  // no programs (a test double) refuses.
  virtual bool ShellStartHidden(std::string_view file, std::string_view parameters) {
    (void)file, (void)parameters;
    return false;
  }
  // OpenProcessToken + LookupPrivilegeValue(SE_SHUTDOWN_NAME) +
  // AdjustTokenPrivileges.
  virtual bool EnableShutdownPrivilege() = 0;
  virtual bool ExitWindows(std::uint32_t flags) = 0;
  // One line on the console program's standard output, flushed at once.
  virtual void WriteConsoleLine(std::string_view line) = 0;
  // FreeConsole: a console program that has said everything goes on
  // without its window (nothing without a console).
  virtual void ReleaseConsole() {}
};

}  // namespace tunora
