#include "sim/emulator/pe_image.h"

#include "sim/emulator/image_bytes.h"

namespace tunora::emulator {
namespace {

constexpr std::uint16_t kMachineI386 = 0x14C;
constexpr std::uint16_t kOptionalMagicPe32 = 0x10B;
constexpr int kImportDirectory = 1;
constexpr int kRelocationDirectory = 5;
constexpr std::uint16_t kRelocationAbsolute = 0;
constexpr std::uint16_t kRelocationHighLow = 3;
constexpr std::uint32_t kImportByOrdinal = 0x80000000u;

struct Directory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

void ApplyRelocations(std::span<std::uint8_t> image, Directory relocations, std::uint32_t delta,
                      LoadedPe& loaded) {
  std::uint64_t block = relocations.rva;
  const std::uint64_t end = std::uint64_t{relocations.rva} + relocations.size;
  while (block + 8 <= end) {
    const std::uint32_t page = Le32(image, block, "a relocation block");
    const std::uint32_t block_size = Le32(image, block + 4, "a relocation block");
    if (block_size < 8 || block + block_size > end) {
      throw MalformedImage("a relocation block overruns its directory");
    }
    for (std::uint64_t entry = block + 8; entry + 2 <= block + block_size; entry += 2) {
      const std::uint16_t value = Le16(image, entry, "a relocation");
      const std::uint16_t type = value >> 12;
      const std::uint64_t target = std::uint64_t{page} + (value & 0xFFF);
      if (type == kRelocationAbsolute) continue;
      if (type != kRelocationHighLow) {
        throw MalformedImage("relocation type " + std::to_string(type) + " is not for i386");
      }
      StoreLe(image, target, Le32(image, target, "a relocated address") + delta, 4,
              "a relocated address");
      ++loaded.relocations_applied;
    }
    block += block_size;
  }
}

void BindImports(std::span<std::uint8_t> image, Directory imports, const ImportBinder& bind,
                 LoadedPe& loaded) {
  for (std::uint64_t descriptor = imports.rva;; descriptor += 20) {
    const std::uint32_t lookup = Le32(image, descriptor, "an import descriptor");
    const std::uint32_t name = Le32(image, descriptor + 12, "an import descriptor");
    const std::uint32_t first_thunk = Le32(image, descriptor + 16, "an import descriptor");
    if (name == 0 && first_thunk == 0) return;
    const std::string module = CString(image, name, "an import's module name");
    const std::uint32_t names = lookup != 0 ? lookup : first_thunk;
    for (std::uint64_t i = 0;; i += 4) {
      const std::uint32_t entry = Le32(image, names + i, "an import lookup entry");
      if (entry == 0) break;
      if (entry & kImportByOrdinal) {
        throw MalformedImage(module + " is imported by ordinal; only names can be bound");
      }
      PeImport import{module, CString(image, std::uint64_t{entry} + 2, "an import's name")};
      import.bound_to = bind(import.module, import.name);
      StoreLe(image, first_thunk + i, import.bound_to, 4, "an import address");
      loaded.imports.push_back(std::move(import));
    }
  }
}

}  // namespace

LoadedPe LoadPe(X86Emulator& emulator, std::span<const std::uint8_t> file, std::uint32_t base,
                std::uint32_t room, const ImportBinder& bind) {
  if (Le16(file, 0, "the MZ header") != 0x5A4D) throw MalformedImage("no MZ signature");
  const std::uint32_t pe = Le32(file, 0x3C, "the MZ header");
  if (Le32(file, pe, "the PE signature") != 0x00004550) throw MalformedImage("no PE signature");
  if (Le16(file, pe + 4, "the file header") != kMachineI386) {
    throw MalformedImage("not an i386 image");
  }
  const std::uint16_t section_count = Le16(file, pe + 6, "the file header");
  const std::uint16_t optional_size = Le16(file, pe + 20, "the file header");
  const std::uint64_t optional = pe + 24;
  if (Le16(file, optional, "the optional header") != kOptionalMagicPe32) {
    throw MalformedImage("not a PE32 image");
  }
  LoadedPe loaded;
  loaded.preferred_base = Le32(file, optional + 28, "the optional header");
  const std::uint32_t image_size = Le32(file, optional + 56, "the optional header");
  // Checked before anything is allocated for it.
  if (image_size > room) throw MalformedImage("an image larger than the space it is loaded into");
  loaded.size = RoundUp(image_size);
  const std::uint32_t headers_size = Le32(file, optional + 60, "the optional header");
  const std::uint32_t directory_count = Le32(file, optional + 92, "the optional header");
  auto directory = [&](int index) {
    if (static_cast<std::uint32_t>(index) >= directory_count) return Directory{};
    return Directory{Le32(file, optional + 96 + 8 * index, "a data directory"),
                     Le32(file, optional + 100 + 8 * index, "a data directory")};
  };
  if (loaded.size == 0 || headers_size > loaded.size || headers_size > file.size()) {
    throw MalformedImage("the image size does not hold its headers");
  }
  std::vector<std::uint8_t> image(loaded.size, 0);
  std::copy_n(file.begin(), headers_size, image.begin());
  const std::uint64_t sections = optional + optional_size;
  for (std::uint16_t i = 0; i < section_count; ++i) {
    const std::uint64_t header = sections + 40u * i;
    const std::uint32_t virtual_size = Le32(file, header + 8, "a section header");
    const std::uint32_t address = Le32(file, header + 12, "a section header");
    const std::uint32_t raw_size = Le32(file, header + 16, "a section header");
    const std::uint32_t raw_offset = Le32(file, header + 20, "a section header");
    const std::uint32_t copied = std::min(virtual_size == 0 ? raw_size : virtual_size, raw_size);
    Need(file, raw_offset, copied, "a section's data");
    Need(image, address, std::max(virtual_size, copied), "a section");
    std::copy_n(file.begin() + raw_offset, copied, image.begin() + address);
  }
  const std::uint32_t delta = base - loaded.preferred_base;
  if (delta != 0) ApplyRelocations(image, directory(kRelocationDirectory), delta, loaded);
  if (directory(kImportDirectory).rva != 0) {
    BindImports(image, directory(kImportDirectory), bind, loaded);
  }
  loaded.base = base;
  loaded.entry = base + Le32(file, optional + 16, "the optional header");
  emulator.Map(base, loaded.size);
  emulator.Write(base, image);
  return loaded;
}

}  // namespace tunora::emulator
