// lockstep on the simulated PC: a console program, its report on standard
// output.
#include <iostream>

#include "platform/platform.h"
#include "sim/machine/host.h"

int main() {
  return tunora::sim::RunConsoleProgramOnMachine("lockstep", tunora::LockstepMain, std::cout,
                                                 std::cerr);
}
