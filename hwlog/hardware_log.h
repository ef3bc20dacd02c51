// The hardware log: "c:\hardware.txt", a plain-text inventory of the
// machine for a support case, written once per run from the video BIOS and
// the management-instrumentation classes, with tildes and a checksum at
// its very end.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hwaccess/deploy.h"
#include "hwlog/log_seal.h"
#include "hwlog/wmi_query.h"

namespace tunora {

inline constexpr std::string_view kHardwareLogPath = "c:\\hardware.txt";
inline constexpr std::string_view kHardwareLogTempPath = "c:\\hw_temp.txt";
inline constexpr std::string_view kLogAlreadyCreated =
    "File c:\\hardware.txt already created for this session";
inline constexpr std::string_view kLogFileOpenError = "File Open Error!!!\nLog not created!!!";

enum class LogAttempt { kNone, kFailed, kCreated };

// What one run keeps for its logs.
struct HardwareLogState {
  // The run's one attempt; later presses only report how it ended.
  LogAttempt attempt = LogAttempt::kNone;
  WmiConnection connection;
  PnpCollection collection;
};

struct LogInputs {
  HwContext& hw;
  // The advanced capture mode stored when the program started.
  int stored_capture_mode = 0;
};

// The button: the log once per run, with the wait cursor, then dialog 159;
// "File Open Error!!!\nLog not created!!!" instead when the temporary file
// cannot be read back or the final file cannot be written.
void GenerateHardwareLog(const LogInputs& inputs, HardwareLogState& state);

// Every class the log reads, spelt as it queries them.
std::vector<std::string_view> LoggedClasses();

// "[ TITLE ]" or "[ END TITLE ]" padded with hyphens to the title's width.
std::string SectionLine(std::string_view title, bool end);

// The device identifier an allocation's Dependent names: the quoted key of
// \\PC\root\cimv2:Win32_PnPEntity.DeviceID="PCI\\VEN_...", its escaped
// backslashes and quotes undone. Nothing unless the path ends in that one
// DeviceID key, whole.
std::optional<std::string> PathDeviceId(std::string_view path);

// The hardware-enumeration section's lines for what the collecting dumps
// stored: each entity with the allocations that name its whole identifier,
// the identifier's parts read from that identifier alone.
std::string HardwareEnumeration(const PnpCollection& collection);

}  // namespace tunora
