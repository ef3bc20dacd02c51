// A Windows 9x virtual device (an LE module) loaded into the emulator:
// each object placed at an address of the caller's choosing (not the
// relocation base the object table records), its pages copied from the
// file's data pages through the object page map, and every fixup record of
// the fixup page and record tables applied for where the objects went.
// The entry table and resident names give the exported Device Descriptor
// Block. Read from the LE format's public description (the LX/LE module
// format documents and the DOS-era notes on the LE header); nothing here
// is shared with the project's own LE writer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/emulator/x86_emulator.h"

namespace tunora::emulator {

struct LeObject {
  std::uint32_t relocation_base = 0;  // as the object table records it
  std::uint32_t address = 0;          // where it was loaded
  std::uint32_t virtual_size = 0;
  std::uint32_t flags = 0;
};

struct LoadedLe {
  std::string module_name;           // resident name, ordinal 0
  std::vector<std::string> exports;  // resident names of ordinals 1 on
  std::vector<LeObject> objects;
  std::uint32_t fixups_applied = 0;
  std::uint32_t entry_ordinal_1 = 0;  // address of the entry with ordinal 1
};

// Loads the module with object i at `first_object_address` + i * 1 MB.
// Throws MalformedImage for a file this loader cannot place, or for a
// fixup it does not know how to apply.
LoadedLe LoadLe(X86Emulator& emulator, std::span<const std::uint8_t> file,
                std::uint32_t first_object_address);

}  // namespace tunora::emulator
