// System port: version, metrics, time, sound, shell and restart.
#pragma once

#include "platform/system.h"

namespace tunora::win32 {

class Win32System : public System {
 public:
  OsVersion GetVersion() override;
  int GetSystemMetrics(int index) override;
  void Sleep(std::uint32_t milliseconds) override;
  std::uint32_t GetTickCount() override;
  bool Beep(std::uint32_t frequency, std::uint32_t duration_ms) override;
  bool PlaySoundFile(std::string_view path) override;
  bool ShellOpen(std::string_view file, std::string_view parameters) override;
  bool ShellStartHidden(std::string_view file, std::string_view parameters) override;
  bool EnableShutdownPrivilege() override;
  bool ExitWindows(std::uint32_t flags) override;
  void WriteConsoleLine(std::string_view line) override;
  void ReleaseConsole() override;
};

}  // namespace tunora::win32
