// lockstep on the simulated PC.
#include <iostream>

#include "platform/platform.h"
#include "sim/host.h"

int main() {
  return tunora::sim::RunProgramOnMachine("lockstep", tunora::LockstepMain, std::cout, std::cerr);
}
