// The bundle of ports a program's main receives, and the one way a program
// ends the process from deep inside: throw ProcessExit, which the main
// turns into the exit code (so whole programs can run inside tests).
#pragma once

#include "platform/devices.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "platform/port_io.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "platform/wmi.h"

namespace tunora {

struct Platform {
  Registry& registry;
  Devices& devices;
  PortIo& ports;
  ProcessMemory& memory;
  Files& files;
  System& system;
  Ui& ui;
  Wmi& wmi;
};

struct ProcessExit {
  int code;
};

[[noreturn]] inline void EndProcess(int code) { throw ProcessExit{code}; }

int TunoraMain(Platform& platform);
int LockstepMain(Platform& platform);

}  // namespace tunora
