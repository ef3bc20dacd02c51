// A 32-bit PE driver image (an NT kernel driver) loaded into the emulator
// at a base of the caller's choosing: sections copied to their addresses,
// base relocations applied for the distance to the preferred base, and
// every import bound by name through the caller's binder, which throws
// for a name it does not know.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "sim/emulator/x86_emulator.h"

namespace tunora::emulator {

struct PeImport {
  std::string module;  // as the import table spells it, e.g. "ntoskrnl.exe"
  std::string name;
  std::uint32_t bound_to = 0;
};

struct LoadedPe {
  std::uint32_t preferred_base = 0;
  std::uint32_t base = 0;
  std::uint32_t size = 0;  // SizeOfImage, rounded up to a page
  std::uint32_t entry = 0;
  std::uint32_t relocations_applied = 0;
  std::vector<PeImport> imports;
};

using ImportBinder =
    std::function<std::uint32_t(const std::string& module, const std::string& name)>;

// Maps the image at `base` (page aligned), where `room` bytes are free,
// and returns where it went. Throws MalformedImage for a file this loader
// cannot place.
LoadedPe LoadPe(X86Emulator& emulator, std::span<const std::uint8_t> file, std::uint32_t base,
                std::uint32_t room, const ImportBinder& bind);

}  // namespace tunora::emulator
