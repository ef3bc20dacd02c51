// tunora on the simulated PC.
#include <iostream>

#include "platform/platform.h"
#include "sim/host.h"

int main() {
  return tunora::sim::RunProgramOnMachine("tunora", tunora::TunoraMain, std::cout, std::cerr);
}
