// The programs the simulated PC can start from a command line, such as a
// Run entry at log-on: a file of the program's name in the Windows
// directory that holds exactly its embedded image runs, either as its main
// in this process or, for a program whose image is an executable of this
// computer (lockstep), as that very file in a child process.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "sim/machine/host.h"

namespace tunora::sim {

struct KnownProgram {
  std::string name;        // in reports and messages: "lockstep"
  std::string file_name;   // in the Windows directory: "Lockstep.exe"
  std::string_view image;  // what the file must hold, byte for byte
  // Runs in this process on the scripted UI; empty: the file itself is
  // started as a child process.
  ProgramMain main;
};

// The programs this simulated PC runs.
std::vector<KnownProgram> KnownPrograms();

// The program file a command line names: its quoted first part, or its
// first word.
std::string CommandProgramPath(std::string_view command);

// The known program `command` starts, or null when the file it names is
// not one of them (another name or folder, other bytes, no file).
const KnownProgram* FindKnownProgram(const std::vector<KnownProgram>& programs,
                                     std::string_view command, Files& files);

}  // namespace tunora::sim
