// The hive as REGEDIT4 text, the format regedit exports and imports:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Example]
//   @="default text"
//   "Text"="C:\\WINNT"
//   "Number"=dword:0000abcd
//   "Bytes"=hex:01,02,ff
//   "Other"=hex(7):61,00,00
//
// Export is deterministic: keys in the hive's order (parents first, empty
// keys too), a blank line after each key, "\n" line ends, long hex data
// wrapped after a comma with ",\" and a two-space indent as regedit does.
// Data the quoted or dword forms cannot reproduce byte for byte is written
// as hex(1) / hex(4). Import accepts what export writes plus CRLF line ends,
// ";" comment lines, any hex wrapping and 1..8 digit dwords; anything else
// is an error, never a partial hive.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/hive.h"

namespace tunora::sim {

// what() is "<file>:<line>: <what is wrong>" for text that does not parse,
// "<file>: <what is wrong>" when the file cannot be read or written.
class RegistryFileError : public std::runtime_error {
 public:
  RegistryFileError(std::string_view file_name, int line, std::string_view message);
  RegistryFileError(std::string_view file_name, std::string_view message);
  int line() const { return line_; }  // 0 when the error is not about a line

 private:
  int line_ = 0;
};

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kLocalMachineName = "HKEY_LOCAL_MACHINE";

// `file_name` only names the text in errors.
Hive ParseRegedit4(std::string_view text, std::string_view file_name = "registry.reg");

// The whole hive, or the key at `subtree_path` (relative to
// HKEY_LOCAL_MACHINE) with everything below it. A subtree that does not
// exist exports as the header alone; a malformed path throws
// std::invalid_argument.
std::string ExportRegedit4(const Hive& hive, std::string_view subtree_path = "");

}  // namespace tunora::sim
