// How the host mains put a program on the simulated machine's user
// interface: the scripted UI when TUNORA_UI_SCRIPT names a script, else
// the terminal UI, or the console UI for a console program.
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>

#include "platform/ui.h"

namespace tunora::sim {

// Exit code when no script is given and there is no terminal to draw on.
inline constexpr int kNoTerminalExitCode = 2;

// Runs the program on a TerminalUi; a ProcessExit becomes the exit code
// once the terminal is restored. Without a terminal the reason goes to
// `err` and the result is kNoTerminalExitCode.
// `drive_c`, when given, lets the terminal name the host path of files the
// program opens through the shell.
int RunOnTerminal(std::ostream& err, const std::function<int(Ui&)>& program,
                  const std::filesystem::path& drive_c = {});

// Runs a console program on a ConsoleUi that writes its message boxes to
// `messages`; a ProcessExit becomes the exit code.
int RunOnConsole(std::ostream& messages, const std::function<int(Ui&)>& program);

// `script` is the value of TUNORA_UI_SCRIPT (null or empty: the terminal).
// Scripted: the transcript goes to `out` and ends with `exit N`; script
// faults go to `err` with exit code 99. Terminal: a ProcessExit becomes the
// exit code once the terminal is restored; without a terminal the reason
// goes to `err`.
int RunOnUserInterface(const char* script, std::ostream& out, std::ostream& err,
                       const std::function<int(Ui&)>& program);

}  // namespace tunora::sim
