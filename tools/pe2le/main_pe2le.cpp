// pe2le INPUT.pe OUTPUT.vxd MODULE_NAME
//
// Turns the linked 9x driver (a PE image with base relocations) into the LE
// virtual device Windows 9x loads. The device descriptor block must be
// exported as MODULE_NAME_DDB.
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>

#include "tools/pe2le/convert.h"
#include "tools/pe2le/le_writer.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: pe2le INPUT.pe OUTPUT.vxd MODULE_NAME\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
    const std::vector<std::uint8_t> pe((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    const std::string module = argv[3];
    const auto le = tunora::pe2le::WriteLe(
        tunora::pe2le::ConvertToVxd(tunora::pe2le::ReadPe(pe), {module, module + "_DDB"}));
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(le.data()), static_cast<std::streamsize>(le.size()));
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
  } catch (const std::exception& error) {
    std::cerr << "pe2le: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
