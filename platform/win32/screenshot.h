// Test automation's screenshots. The display is photographed from outside
// (the test harness runs `import -window root` on the X server Wine draws
// on): the program asks for a picture by leaving "NAME.request" beside the
// wanted file, and goes on idling in its message loop, so that its windows
// reach the display, until the file appears or the wait is over.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace tunora::win32 {

inline constexpr DWORD kScreenshotWaitMs = 10000;
inline constexpr DWORD kScreenshotPollMs = 100;

class ScreenshotRequest {
 public:
  // Empty: no picture wanted.
  void Begin(const std::string& path);
  // A picture is wanted, has not come and the wait is not over.
  bool Waiting() const;
  // Withdraws the request.
  void End();

 private:
  std::string path_;
  DWORD started_ = 0;
};

}  // namespace tunora::win32
