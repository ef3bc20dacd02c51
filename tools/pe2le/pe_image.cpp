// The PE/COFF layout as Microsoft's "PE Format" document describes it
// (DOS header e_lfanew at 0x3C, COFF file header, PE32 optional header,
// section table, export directory and base relocation blocks).
#include "tools/pe2le/pe_image.h"

#include <stdexcept>

namespace tunora::pe2le {
namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint16_t kOptionalPe32 = 0x010B;
constexpr std::uint32_t kDirectoryExport = 0;
constexpr std::uint32_t kDirectoryImport = 1;
constexpr std::uint32_t kDirectoryBaseReloc = 5;
constexpr std::uint16_t kRelBasedAbsolute = 0;
constexpr std::uint16_t kRelBasedHighLow = 3;

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint32_t U8(std::uint64_t at) const {
    Need(at, 1);
    return bytes_[at];
  }
  std::uint32_t U16(std::uint64_t at) const { return U8(at) | U8(at + 1) << 8; }
  std::uint32_t U32(std::uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
  void Need(std::uint64_t at, std::uint64_t count) const {
    if (at + count > bytes_.size()) throw std::invalid_argument("PE image truncated");
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
};

// Reads through RVAs, in the sections' loaded bytes.
class Image {
 public:
  explicit Image(const std::vector<PeSection>& sections) : sections_(sections) {}
  std::uint32_t U8(std::uint32_t rva) const {
    for (const PeSection& s : sections_) {
      if (rva >= s.rva && rva - s.rva < s.virtual_size) {
        const std::uint32_t at = rva - s.rva;
        return at < s.data.size() ? s.data[at] : 0;
      }
    }
    throw std::invalid_argument("RVA outside every section");
  }
  std::uint32_t U16(std::uint32_t rva) const { return U8(rva) | U8(rva + 1) << 8; }
  std::uint32_t U32(std::uint32_t rva) const { return U16(rva) | U16(rva + 2) << 16; }
  std::string String(std::uint32_t rva) const {
    std::string text;
    for (std::uint32_t c; (c = U8(rva)) != 0; ++rva) {
      text.push_back(static_cast<char>(c));
      if (text.size() > 4096) throw std::invalid_argument("unterminated name");
    }
    return text;
  }

 private:
  const std::vector<PeSection>& sections_;
};

}  // namespace

PeImage ReadPe(const std::vector<std::uint8_t>& file) {
  const Reader in(file);
  if (in.U16(0) != 0x5A4D) throw std::invalid_argument("no MZ header");
  const std::uint32_t pe = in.U32(0x3C);
  if (in.U32(pe) != 0x00004550) throw std::invalid_argument("no PE signature");
  const std::uint32_t coff = pe + 4;
  if (in.U16(coff) != kMachineI386) throw std::invalid_argument("not an i386 image");
  const std::uint32_t section_count = in.U16(coff + 2);
  const std::uint32_t optional_size = in.U16(coff + 16);
  const std::uint32_t optional = coff + 20;
  if (in.U16(optional) != kOptionalPe32) throw std::invalid_argument("not a PE32 image");

  PeImage image;
  image.image_base = in.U32(optional + 28);
  const std::uint32_t directory_count = in.U32(optional + 92);
  auto directory = [&](std::uint32_t index) -> std::pair<std::uint32_t, std::uint32_t> {
    if (index >= directory_count) return {0, 0};
    return {in.U32(optional + 96 + 8 * index), in.U32(optional + 96 + 8 * index + 4)};
  };

  const std::uint32_t table = optional + optional_size;
  for (std::uint32_t i = 0; i < section_count; ++i) {
    const std::uint32_t header = table + 40 * i;
    in.Need(header, 40);
    PeSection section;
    for (std::uint32_t c = 0; c < 8 && in.U8(header + c) != 0; ++c) {
      section.name.push_back(static_cast<char>(in.U8(header + c)));
    }
    section.virtual_size = in.U32(header + 8);
    section.rva = in.U32(header + 12);
    const std::uint32_t raw_size = in.U32(header + 16);
    const std::uint32_t raw_at = in.U32(header + 20);
    section.characteristics = in.U32(header + 36);
    if (section.virtual_size == 0) section.virtual_size = raw_size;
    const std::uint32_t stored = raw_size < section.virtual_size ? raw_size : section.virtual_size;
    if (stored != 0) {
      in.Need(raw_at, stored);
      section.data.assign(file.begin() + raw_at, file.begin() + raw_at + stored);
    }
    image.sections.push_back(std::move(section));
  }
  const Image loaded(image.sections);

  // The linker writes an import directory even when there is nothing to
  // import: only its end marker, a descriptor with no DLL name.
  const auto [import_rva, import_size] = directory(kDirectoryImport);
  if (import_size >= 20) image.has_imports = loaded.U32(import_rva + 12) != 0;

  const auto [reloc_rva, reloc_size] = directory(kDirectoryBaseReloc);
  for (std::uint32_t block = 0; block + 8 <= reloc_size;) {
    const std::uint32_t page = loaded.U32(reloc_rva + block);
    const std::uint32_t block_size = loaded.U32(reloc_rva + block + 4);
    if (block_size < 8 || block + block_size > reloc_size) {
      throw std::invalid_argument("malformed base relocation block");
    }
    for (std::uint32_t at = 8; at + 2 <= block_size; at += 2) {
      const std::uint32_t entry = loaded.U16(reloc_rva + block + at);
      const std::uint32_t type = entry >> 12;
      if (type == kRelBasedAbsolute) continue;
      if (type != kRelBasedHighLow) throw std::invalid_argument("base relocation not HIGHLOW");
      image.highlow_relocations.push_back(page + (entry & 0xFFF));
    }
    block += block_size;
  }

  const auto [export_rva, export_size] = directory(kDirectoryExport);
  if (export_size != 0) {
    const std::uint32_t name_count = loaded.U32(export_rva + 24);
    const std::uint32_t functions = loaded.U32(export_rva + 28);
    const std::uint32_t names = loaded.U32(export_rva + 32);
    const std::uint32_t ordinals = loaded.U32(export_rva + 36);
    for (std::uint32_t i = 0; i < name_count; ++i) {
      const std::string name = loaded.String(loaded.U32(names + 4 * i));
      const std::uint32_t index = loaded.U16(ordinals + 2 * i);
      image.exports[name] = loaded.U32(functions + 4 * index);
    }
  }
  return image;
}

}  // namespace tunora::pe2le
