// regedit as the simulated PC runs it when a program starts it through the
// shell. "regedit /e FILE [KEY]" exports HKEY_LOCAL_MACHINE, or the key
// named below it with everything under it, into FILE in the form that
// machine's Windows writes: REGEDIT4 on 95/98/ME and NT 4, version 5
// (UTF-16LE) on 2000/XP. "regedit [/s] FILE" imports FILE, deleting keys
// and values only on 2000/XP, whose regedit knows how. Nothing else is run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"
#include "sim/os/hive.h"
#include "sim/os/regedit4.h"
#include "sim/os/sim_registry.h"

namespace tunora::sim {

// Whether the shell's file names regedit: "regedit" or "regedit.exe", in
// any case, bare or with a folder.
bool IsRegedit(std::string_view file);
// A key name's path below HKEY_LOCAL_MACHINE ("HKEY_LOCAL_MACHINE\\X" gives
// "X", in any case); nothing for another root.
std::optional<std::string_view> LocalMachinePath(std::string_view key_name);

RegFileForm RegeditFormFor(const OsVersion& version);

// A command line's arguments as Windows programs split them: blanks
// separate, double quotes group and are dropped.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

// Runs regedit to completion; returns the line that says what it did.
// A key that does not exist, or is not under HKEY_LOCAL_MACHINE, exports
// nothing and writes no file, as regedit refuses it. A file that does not
// import changes nothing.
std::string RunRegedit(std::string_view parameters, SimRegistry& registry, Files& files,
                       RegFileForm form);

}  // namespace tunora::sim
