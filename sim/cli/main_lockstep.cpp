// lockstep on the simulated PC.
#include <iostream>

#include "platform/platform.h"
#include "sim/machine/host.h"

int main() {
  return tunora::sim::RunProgramOnMachine("lockstep", tunora::LockstepMain, std::cout, std::cerr);
}
