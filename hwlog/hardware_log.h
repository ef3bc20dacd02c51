// The hardware log: "c:\hardware.txt", a plain-text inventory of the
// machine for a support case, written once per run from the video BIOS and
// the management-instrumentation classes, with tildes and a checksum at
// its very end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hwaccess/deploy.h"
#include "hwlog/wmi_query.h"

namespace tunora {

inline constexpr std::string_view kHardwareLogPath = "c:\\hardware.txt";
inline constexpr std::string_view kHardwareLogTempPath = "c:\\hw_temp.txt";
inline constexpr std::string_view kLogAlreadyCreated =
    "File c:\\hardware.txt already created for this session";
inline constexpr std::string_view kLogFileOpenError = "File Open Error!!!\nLog not created!!!";

// What one run keeps for its logs.
struct HardwareLogState {
  int log_count = 0;  // attempts so far; a second one only reports the file
  WmiConnection connection;
  PnpCollection collection;
};

struct LogInputs {
  HwContext& hw;
  bool nt_road = true;
  // The advanced capture mode stored when the program started.
  int stored_capture_mode = 0;
};

// The button: the log once per run, with the wait cursor, then dialog 159.
void GenerateHardwareLog(const LogInputs& inputs, HardwareLogState& state);

// Every class the log reads, spelt as it queries them.
std::vector<std::string_view> LoggedClasses();

// u tildes after a text of length 4n + u, and the 8 lowercase hexadecimal
// digits of the sum of its 4-byte groups (bytes signed).
std::string WithTildes(std::string text);
std::string LogChecksum(std::string_view text);

// "[ TITLE ]" or "[ END TITLE ]" padded with hyphens to the title's width.
std::string SectionLine(std::string_view title, bool end);

// The hardware-enumeration section's lines for what the collecting dumps
// stored.
std::string HardwareEnumeration(const PnpCollection& collection);

}  // namespace tunora
