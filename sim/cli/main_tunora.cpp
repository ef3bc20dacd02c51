// tunora on the simulated PC.
#include <iostream>

#include "platform/platform.h"
#include "sim/machine/host.h"

int main() {
  return tunora::sim::RunProgramOnMachine("tunora", tunora::TunoraMain, std::cout, std::cerr);
}
