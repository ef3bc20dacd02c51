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
// keys too, the root included), a blank line after each key, "\n" line
// ends, lower-case hex, the type in hex(N) written in hex as regedit does.
// Hex data wraps as regedit wraps it: once a line has reached 77
// characters after a comma, it ends in "\" and continues on a line
// indented by two spaces. Data the quoted or dword forms cannot reproduce
// byte for byte (REG_SZ without exactly one zero, at the end, or with
// control characters other than tab; REG_DWORD not of four bytes) is
// written as hex(1) / hex(4).
//
// Import accepts what export writes plus CRLF line ends, ";" comment
// lines, blanks around "=" and hex bytes, any hex wrapping, 1..8 digit
// dwords and repeated key sections (merged); anything else is an error,
// never a partial hive.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/os/hive.h"

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
