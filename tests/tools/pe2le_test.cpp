// The LE converter on crafted images: the written file is read back by a
// reader of its own here (header, object table, page map, resident names,
// entry table, fixup page table and records), not by the writer's code.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/pe2le/convert.h"
#include "tools/pe2le/le_writer.h"

namespace tunora::pe2le {
namespace {

constexpr std::uint32_t kBase = 0x10000;
constexpr std::uint32_t kCode = kScnCode | kScnExecute | kScnRead;
constexpr std::uint32_t kData = kScnRead | kScnWrite;

std::uint32_t U16(const std::vector<std::uint8_t>& b, std::uint32_t at) {
  return b.at(at) | b.at(at + 1) << 8;
}
std::uint32_t U32(const std::vector<std::uint8_t>& b, std::uint32_t at) {
  return U16(b, at) | U16(b, at + 2) << 16;
}

// One fixup record as the file states it.
struct Record {
  std::uint32_t object;  // 1-based, source
  std::uint32_t page;    // 0-based inside the source object
  int offset;            // inside the page, negative for a straddle's second half
  std::uint32_t target_object;
  std::uint32_t target_offset;
  friend bool operator==(const Record&, const Record&) = default;
};
std::ostream& operator<<(std::ostream& out, const Record& r) {
  return out << "{obj " << r.object << " page " << r.page << " off " << r.offset << " -> "
             << r.target_object << ":" << std::hex << r.target_offset << std::dec << "}";
}

struct ReadBack {
  std::vector<std::uint32_t> object_flags;
  std::vector<std::uint32_t> object_sizes;
  std::vector<std::vector<std::uint8_t>> object_bytes;  // from the data pages
  std::vector<std::string> resident_names;              // by ordinal
  std::uint32_t entry_object = 0;
  std::uint32_t entry_offset = 0;
  std::vector<Record> records;
};

ReadBack Read(const std::vector<std::uint8_t>& file) {
  ReadBack r;
  EXPECT_EQ(U16(file, 0), 0x5A4Du);
  const std::uint32_t le = U32(file, 0x3C);
  EXPECT_EQ(U16(file, le), 0x454Cu);
  const std::uint32_t page_size = U32(file, le + 0x28);
  const std::uint32_t pages = U32(file, le + 0x14);
  const std::uint32_t last_page = U32(file, le + 0x2C);
  const std::uint32_t datapage = U32(file, le + 0x80);
  EXPECT_EQ(file.size(), datapage + (pages - 1) * page_size + last_page);
  const std::uint32_t fpagetab = le + U32(file, le + 0x68);
  const std::uint32_t frectab = le + U32(file, le + 0x6C);
  const std::uint32_t objmap = le + U32(file, le + 0x48);
  for (std::uint32_t o = 0; o < U32(file, le + 0x44); ++o) {
    const std::uint32_t entry = le + U32(file, le + 0x40) + 24 * o;
    r.object_sizes.push_back(U32(file, entry));
    r.object_flags.push_back(U32(file, entry + 8));
    const std::uint32_t first = U32(file, entry + 12);
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t p = 0; p < U32(file, entry + 16); ++p) {
      const std::uint32_t map = objmap + 4 * (first + p - 1);
      const std::uint32_t number = file[map] << 16 | file[map + 1] << 8 | file[map + 2];
      const std::uint32_t at = datapage + (number - 1) * page_size;
      const auto end = std::min<std::size_t>(at + page_size, file.size());
      bytes.insert(bytes.end(), file.begin() + at, file.begin() + end);
      for (std::uint32_t f = U32(file, fpagetab + 4 * (first + p - 1));
           f < U32(file, fpagetab + 4 * (first + p));) {
        const std::uint32_t at_record = frectab + f;
        EXPECT_EQ(file[at_record], 0x07) << "32-bit offset source";
        const std::uint8_t flags = file[at_record + 1];
        EXPECT_EQ(flags & 0x03, 0) << "internal reference";
        const int offset = static_cast<std::int16_t>(U16(file, at_record + 2));
        std::uint32_t cursor = at_record + 4;
        std::uint32_t target_object = file[cursor++];
        if (flags & 0x40) target_object |= file[cursor++] << 8;
        const std::uint32_t target_offset = (flags & 0x10) ? U32(file, cursor) : U16(file, cursor);
        cursor += (flags & 0x10) ? 4 : 2;
        r.records.push_back({o + 1, p, offset, target_object, target_offset});
        f = cursor - frectab;
      }
    }
    bytes.resize(std::min<std::size_t>(bytes.size(), r.object_sizes.back()));
    r.object_bytes.push_back(bytes);
  }
  for (std::uint32_t at = le + U32(file, le + 0x58); file[at] != 0;) {
    const std::uint32_t length = file[at];
    const std::string name(file.begin() + at + 1, file.begin() + at + 1 + length);
    const std::uint32_t ordinal = U16(file, at + 1 + length);
    if (r.resident_names.size() <= ordinal) r.resident_names.resize(ordinal + 1);
    r.resident_names[ordinal] = name;
    at += 1 + length + 2;
  }
  const std::uint32_t entries = le + U32(file, le + 0x5C);
  EXPECT_EQ(file[entries], 1) << "one entry in the first bundle";
  EXPECT_EQ(file[entries + 1], 0x03) << "32-bit entries";
  r.entry_object = U16(file, entries + 2);
  r.entry_offset = U32(file, entries + 5);
  return r;
}

PeSection Section(std::string name, std::uint32_t rva, std::uint32_t size,
                  std::uint32_t characteristics) {
  // Uninitialised data has no bytes in the file; the rest is filled with
  // a byte no fixup writes.
  const bool bss = (characteristics & kScnUninitializedData) != 0;
  return {std::move(name), rva, size, characteristics,
          std::vector<std::uint8_t>(bss ? 0 : size, 0x90)};
}

// Places a 32-bit absolute address (as the PE linker left it) at `rva`.
void PutAddress(PeImage& image, std::uint32_t rva, std::uint32_t target_rva) {
  for (PeSection& s : image.sections) {
    if (rva >= s.rva && rva + 4 <= s.rva + s.data.size()) {
      for (int i = 0; i < 4; ++i) {
        s.data[rva - s.rva + i] = static_cast<std::uint8_t>((kBase + target_rva) >> (8 * i));
      }
      image.highlow_relocations.push_back(rva);
      return;
    }
  }
  FAIL() << "no section holds " << rva;
}

struct Row {
  const char* name;
  std::vector<PeSection> sections;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> addresses;  // source RVA, target RVA
  std::uint32_t ddb_rva;
  std::vector<std::uint32_t> expected_flags;
  std::vector<Record> expected_records;
  std::uint32_t expected_entry_object;
  std::uint32_t expected_entry_offset;
};

TEST(Pe2Le, ConvertedModulesReadBackWithTheirFixupsObjectsAndNames) {
  const std::uint32_t code = 0x2045;
  const std::uint32_t data = 0x2043;
  const std::vector<Row> rows = {
      {"one code object, one fixup into itself",
       {Section(".text", 0x1000, 0x100, kCode)},
       {{0x1010, 0x1080}},
       0x1000,
       {code},
       {{1, 0, 0x10, 1, 0x80}},
       1,
       0},
      {"code and data; .reloc, .edata and .idata are left out",
       {Section(".text", 0x1000, 0x200, kCode), Section(".data", 0x1200, 0x60, kData),
        Section(".rdata", 0x1260, 0x20, kScnRead), Section(".edata", 0x1280, 0x40, kScnRead),
        Section(".idata", 0x12C0, 0x14, kData),
        Section(".reloc", 0x1300, 0x20, kScnRead | kScnDiscardable)},
       {{0x1218, 0x1004}, {0x1104, 0x1260}},
       0x1200,
       {code, data},
       {{1, 0, 0x104, 2, 0x60}, {2, 0, 0x18, 1, 0x4}},
       2,
       0},
      {"a fixup straddling a page boundary is recorded in both pages",
       {Section(".text", 0x1000, 0x2100, kCode)},
       {{0x1FFE, 0x1000}, {0x2FFF, 0x3000}},
       0x1000,
       {code},
       {{1, 0, 0xFFE, 1, 0}, {1, 1, -2, 1, 0}, {1, 1, 0xFFF, 1, 0x2000}, {1, 2, -1, 1, 0x2000}},
       1,
       0},
      {"a fixup ending exactly at a page end stays in its page",
       {Section(".text", 0x1000, 0x1800, kCode)},
       {{0x1FFC, 0x1004}},
       0x1000,
       {code},
       {{1, 0, 0xFFC, 1, 4}},
       1,
       0},
      {"several objects: runs of code and data, a pointer just past an object's end",
       {Section(".text", 0x1000, 0x100, kCode), Section(".data", 0x1100, 0x1100, kData),
        Section(".bss", 0x2200, 0x40, kScnUninitializedData | kScnRead | kScnWrite),
        Section(".text2", 0x2240, 0x20, kCode)},
       {{0x1008, 0x2240}, {0x1100, 0x2260}, {0x2244, 0x1100}, {0x20FE, 0x2200}},
       0x2210,
       {code, data, code},
       {{1, 0, 0x8, 3, 0},
        {2, 0, 0x0, 3, 0x20},
        {2, 0, 0xFFE, 2, 0x1100},
        {2, 1, -2, 2, 0x1100},
        {3, 0, 0x4, 2, 0}},
       2,
       0x1110},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PeImage image;
    image.image_base = kBase;
    image.sections = row.sections;
    for (const auto& [source, target] : row.addresses) PutAddress(image, source, target);
    image.exports["HWGT9X_DDB"] = row.ddb_rva;
    const ReadBack back = Read(WriteLe(ConvertToVxd(image, {"HWGT9X", "HWGT9X_DDB"})));
    EXPECT_EQ(back.object_flags, row.expected_flags);
    EXPECT_EQ(back.records, row.expected_records);
    EXPECT_EQ(back.resident_names, (std::vector<std::string>{"HWGT9X", "HWGT9X_DDB"}));
    EXPECT_EQ(back.entry_object, row.expected_entry_object);
    EXPECT_EQ(back.entry_offset, row.expected_entry_offset);
    // Every byte came through, except the fixed-up ones, which the loader
    // writes whole.
    for (std::size_t o = 0; o < back.object_bytes.size(); ++o) {
      EXPECT_EQ(back.object_bytes[o].size(), back.object_sizes[o]);
    }
    std::uint32_t zeroed = 0;
    for (const auto& bytes : back.object_bytes) {
      for (std::uint8_t b : bytes) zeroed += b == 0 ? 1 : 0;
    }
    std::uint32_t bss = 0;
    for (const PeSection& s : row.sections) {
      if (s.characteristics & kScnUninitializedData) bss += s.virtual_size;
    }
    EXPECT_EQ(zeroed, 4 * row.addresses.size() + bss);
  }
}

TEST(Pe2Le, ImagesThatCannotBeAVirtualDeviceAreRefused) {
  struct Refusal {
    const char* name;
    void (*spoil)(PeImage&);
  };
  const std::vector<Refusal> refusals = {
      {"imports", [](PeImage& image) { image.has_imports = true; }},
      {"no DDB export", [](PeImage& image) { image.exports.clear(); }},
      {"relocation target outside every section",
       [](PeImage& image) { PutAddress(image, 0x1010, 0x9000); }},
      {"relocation in a discarded section",
       [](PeImage& image) {
         image.sections.push_back(Section(".reloc", 0x1100, 0x20, kScnRead | kScnDiscardable));
         PutAddress(image, 0x1100, 0x1000);
       }},
      {"relocation overrunning its section",
       [](PeImage& image) { image.highlow_relocations.push_back(0x10FE); }},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.name);
    PeImage image;
    image.image_base = kBase;
    image.sections = {Section(".text", 0x1000, 0x100, kCode)};
    image.exports["HWGT9X_DDB"] = 0x1000;
    EXPECT_NO_THROW(WriteLe(ConvertToVxd(image, {"HWGT9X", "HWGT9X_DDB"})));
    refusal.spoil(image);
    EXPECT_THROW(WriteLe(ConvertToVxd(image, {"HWGT9X", "HWGT9X_DDB"})), std::invalid_argument);
  }
}

}  // namespace
}  // namespace tunora::pe2le
