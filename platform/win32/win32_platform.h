// The Windows adapters bundled into the Platform the programs' mains hand
// to TunoraMain and LockstepMain.
#pragma once

#include "platform/platform.h"
#include "platform/win32/devices_win32.h"
#include "platform/win32/files_win32.h"
#include "platform/win32/memory_win32.h"
#include "platform/win32/port_io_win32.h"
#include "platform/win32/registry_win32.h"
#include "platform/win32/system_win32.h"
#include "platform/win32/wmi_win32.h"

namespace tunora::win32 {

class Win32Platform {
 public:
  // The user interface is the main's choice: windows for tunora, the
  // console for lockstep.
  explicit Win32Platform(Ui& ui)
      : platform_{registry_, devices_, ports_, memory_, files_, system_, ui, wmi_} {}
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform& platform() { return platform_; }

 private:
  Win32Registry registry_;
  Win32Devices devices_;
  Win32PortIo ports_;
  Win32ProcessMemory memory_;
  Win32Files files_;
  Win32System system_;
  Win32Wmi wmi_;
  Platform platform_;
};

}  // namespace tunora::win32
