// Registry files as regedit reads them: the value lines of REGEDIT4 and of
// version 5, written the way regedit writes them. The simulated PC's own
// export and the undo file Apply leaves share them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tunora {

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
// The one root a registry file of this program names.
inline constexpr std::string_view kLocalMachineName = "HKEY_LOCAL_MACHINE";

// Key and value names compare without regard to ASCII case: their folded
// (upper-case) form.
std::string FoldName(std::string_view name);

// Appends `"name"=data` (`@=` for the default value) and "\n". Text that
// fits is quoted, four-byte numbers are dword:, anything else hex: or
// hex(N): wrapped as regedit wraps it. `wide_strings`: version 5 writes
// the string types' hex data as UTF-16LE.
void AppendRegFileValue(std::string& out, std::string_view name, std::uint32_t type,
                        std::string_view data, bool wide_strings = false);

// A value or key name in double quotes, with \ and " escaped.
void AppendRegFileQuoted(std::string& out, std::string_view text);
// A value's name as a value line starts: @ for the default value, else
// quoted.
void AppendRegFileName(std::string& out, std::string_view name);

// Lines ending in CR LF, as registry files on disk have them.
std::string WithCrLf(std::string_view text);

// Latin-1 bytes as UTF-16LE code units.
std::string WidenLatin1(std::string_view text);

}  // namespace tunora
