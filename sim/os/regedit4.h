// The hive as regedit's text, REGEDIT4 as the machine's own file and
// Windows 95/98/ME and NT 4 write it:
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
// Windows 2000/XP's regedit writes version 5: the header "Windows Registry
// Editor Version 5.00", the text in UTF-16LE after a byte-order mark, and
// the data of the string types in hex form (hex(1), hex(2), hex(7))
// UTF-16LE too, since the registry holds them as Unicode there. The hive's
// text is taken as Latin-1: each byte one character.
//
// Import accepts what export writes in either form plus CRLF line ends,
// ";" comment lines, blanks around "=" and hex bytes, any hex wrapping,
// 1..8 digit dwords and repeated key sections (merged). A text that starts
// with the UTF-16LE byte-order mark is decoded first; the version 5 header
// (in either encoding) makes the string types' hex data UTF-16LE. A
// character above 0xFF cannot be held and is an error, like anything else
// that does not parse: never a partial hive.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "registry/reg_file.h"
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

inline constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";

// `file_name` only names the text in errors.
Hive ParseRegedit4(std::string_view text, std::string_view file_name = "registry.reg");

// Merges a registry file into `hive` as regedit imports one: keys are
// created and values set. With `deletions` (the regedit of Windows
// 2000/XP), "[-KEY]" removes the key with everything below it and
// "NAME"=- removes a value; without, such lines do not parse. A file that
// does not parse leaves the hive as it was.
void ImportRegFile(std::string_view text, Hive& hive, bool deletions,
                   std::string_view file_name = "import.reg");

// The whole hive, or the key at `subtree_path` (relative to
// HKEY_LOCAL_MACHINE) with everything below it. A subtree that does not
// exist exports as the header alone; a malformed path throws
// std::invalid_argument.
std::string ExportRegedit4(const Hive& hive, std::string_view subtree_path = "");

// The forms "regedit /e" writes.
enum class RegFileForm {
  kRegedit4,  // Windows 95/98/ME and NT 4
  kVersion5,  // Windows 2000/XP
};

// The file "regedit /e FILE KEY" writes: as ExportRegedit4 in that form,
// with CRLF line ends.
std::string ExportRegFile(const Hive& hive, std::string_view subtree_path, RegFileForm form);

}  // namespace tunora::sim
