// Deployment of the embedded low-level drivers: write the file out of the
// program, register and start the service, open the device; and the ways
// of taking a driver down again afterwards. One naming rule: DeployX
// returns nullopt when the device did not open, DeployXOrExit ends the
// process (exit 1) instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "hwaccess/platform_kind.h"
#include "platform/platform.h"
#include "resources/embedded.h"

namespace tunora {

// The driver images a program carries (tunora and lockstep each have
// their own copies under their own resource ids).
struct DriverSet {
  std::string_view hwgate2;  // empty in lockstep
  std::string_view hwgate4;
  std::string_view hwgt9x;
};
DriverSet TunoraDrivers();
DriverSet LockstepDrivers();
// A driver the program does not carry is an empty image: its file is
// written empty, the device never opens, and the deployment reports the
// driver that would not load, as for any other.
std::string_view DriverImage(std::optional<std::string_view> resource);

struct HwContext {
  HwContext(Platform& p, DriverSet d) : platform(p), drivers(d) {}
  // Holds the run's kept device; one per program run.
  HwContext(const HwContext&) = delete;
  HwContext& operator=(const HwContext&) = delete;

  Platform& platform;
  DriverSet drivers;
  // Fixed once the Windows version is known, before the first driver is
  // deployed; every hardware operation takes the road it names.
  DriverRoad road = DriverRoad::kNt;
  bool OnNtRoad() const { return road == DriverRoad::kNt; }
  // NT road: the hwgate4 device the start-up's bus-1 search keeps open for
  // the rest of the run. While it is open the driver cannot unload, so a
  // fresh deployment could never open the device again; later hwgate4
  // users work through this handle instead and leave service and file alone.
  Handle kept_hwgate4 = kInvalidHandleValue;
  // lockstep, a console program, reports failures as lines on its
  // standard output; tunora shows message boxes.
  bool console_reports = false;
};

// A failure the user must read: a message box, or a console line.
void ReportFailure(HwContext& hw, std::string_view text);

// "C:\WINNT" + "\System32\Drivers\hwgate4.sys" and the like.
std::string DriverFilePath(Files& files, DriverKind kind);

// hwgate4. The device open is retried with a fresh deployment a bounded
// number of times (a driver that can never load must not hang the
// program); nullopt when it never opened, with the driver file removed.
inline constexpr int kHwgate4Attempts = 10;
inline constexpr std::uint32_t kHwgate4RetryDelayMs = 100;
std::optional<Handle> DeployHwgate4(HwContext& hw);
// The same, ending the process with "Error Accessing HwGate!" (exit 1)
// when the device never opens.
Handle DeployHwgate4OrExit(HwContext& hw);

// The kept hwgate4 device when there is one, else a fresh deployment
// (DeployHwgate4OrExit). Give it back with ReleaseHwgate4.
Handle AcquireHwgate4(HwContext& hw);

enum class Hwgate4Cleanup {
  kCloseDeviceDeleteFile,  // the service stays registered
  kStopDeleteService,      // stop and delete the service, close, delete file
};
// Does nothing for the kept device.
void ReleaseHwgate4(HwContext& hw, Handle device, Hwgate4Cleanup cleanup);

// hwgate2, used by the start-up scan only. Ends the process with
// "Error Accessing HwGate!" (exit 1) when the device does not open; there
// is no use for a variant that returns.
struct Hwgate2Session {
  Handle device = kInvalidHandleValue;
  Handle event = kNullHandle;
};
Hwgate2Session DeployHwgate2OrExit(HwContext& hw);
void RemoveHwgate2(HwContext& hw, Hwgate2Session& session);

// Hwgt9x. Each caller has its own texts for the two failures, reported
// before nullopt or the end of the process.
struct VxdMessages {
  std::string_view cannot_open;
  std::string_view wrong_version;
};
inline constexpr VxdMessages kVxdMessages{"Unable to Access VxD!", "Wrong VxD version!"};
inline constexpr VxdMessages kVxdMessagesBiosClock{"Unable to Access VxD! #FF01",
                                                   "Wrong VxD version! #FF00"};
std::optional<Handle> DeployHwgt9x(HwContext& hw, const VxdMessages& messages);
Handle DeployHwgt9xOrExit(HwContext& hw, const VxdMessages& messages);
void RemoveHwgt9x(HwContext& hw, Handle device);

// The text between parentheses in the first 127 bytes of the video BIOS,
// read through the road's driver.
std::string ReadBiosVersionText(HwContext& hw);
// The walk itself: every byte inside parentheses, groups joined, at most
// 126 characters.
std::string ParenthesisedText(std::string_view bios_start);

}  // namespace tunora
