#include "platform/win32/system_win32.h"

#include <cstdio>
#include <string>

#include "platform/win32/windows_api.h"

namespace tunora::win32 {
namespace {

// The record size Windows 98 and NT 4 know: the larger OSVERSIONINFOEX
// makes their GetVersionEx fail.
static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(kSmCleanBoot == SM_CLEANBOOT && kEwxReboot == EWX_REBOOT && kEwxForce == EWX_FORCE);

// NT's privilege calls; Windows 98 has no privileges to adjust.
bool AdjustShutdownPrivilege() {
  const auto open_token =
      Resolve<decltype(&::OpenProcessToken)>("advapi32.dll", "OpenProcessToken");
  const auto lookup =
      Resolve<decltype(&::LookupPrivilegeValueA)>("advapi32.dll", "LookupPrivilegeValueA");
  const auto adjust =
      Resolve<decltype(&::AdjustTokenPrivileges)>("advapi32.dll", "AdjustTokenPrivileges");
  if (open_token == nullptr || lookup == nullptr || adjust == nullptr) return false;
  HANDLE token = nullptr;
  if (!open_token(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = lookup(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid) &&
                 adjust(token, FALSE, &privileges, 0, nullptr, nullptr);
  // AdjustTokenPrivileges succeeds even when the user does not hold the
  // privilege; only the last error tells.
  if (enabled && ::GetLastError() == ERROR_NOT_ALL_ASSIGNED) enabled = false;
  ::CloseHandle(token);
  return enabled;
}

// ShellExecuteA without a window or folder of its own; a null verb is the
// file's default one.
bool RunShell(const char* verb, std::string_view file, std::string_view parameters, int show) {
  const std::string file_text(file);
  const std::string parameter_text(parameters);
  const HINSTANCE result =
      ShellExecuteA(nullptr, verb, file_text.c_str(),
                    parameter_text.empty() ? nullptr : parameter_text.c_str(), nullptr, show);
  // Values above 32 mean success.
  return reinterpret_cast<std::uintptr_t>(result) > 32;
}

}  // namespace

OsVersion Win32System::GetVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return {};
  return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
          info.szCSDVersion};
}

int Win32System::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

void Win32System::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

std::uint32_t Win32System::GetTickCount() { return ::GetTickCount(); }

bool Win32System::Beep(std::uint32_t frequency, std::uint32_t duration_ms) {
  return ::Beep(frequency, duration_ms) != FALSE;
}

bool Win32System::PlaySoundFile(std::string_view path) {
  // winmm is loaded only for the one page that plays a sound.
  static const auto play = Resolve<decltype(&::PlaySoundA)>("winmm.dll", "PlaySoundA");
  if (play == nullptr) return false;
  return play(std::string(path).c_str(), nullptr, SND_FILENAME | SND_SYNC) != FALSE;
}

bool Win32System::ShellOpen(std::string_view file, std::string_view parameters) {
  return RunShell("open", file, parameters, SW_SHOWNORMAL);
}

bool Win32System::ShellStartHidden(std::string_view file, std::string_view parameters) {
  return RunShell(nullptr, file, parameters, SW_HIDE);
}

bool Win32System::EnableShutdownPrivilege() {
  if (GetVersion().platform_id != kVerPlatformWin32Nt) return true;
  return AdjustShutdownPrivilege();
}

bool Win32System::ExitWindows(std::uint32_t flags) { return ExitWindowsEx(flags, 0) != FALSE; }

void Win32System::WriteConsoleLine(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Win32System::ReleaseConsole() {
  std::fflush(stdout);
  FreeConsole();
}

}  // namespace tunora::win32
