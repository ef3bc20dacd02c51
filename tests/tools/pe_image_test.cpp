// The PE reader on a crafted image: sections, base relocations (HIGHLOW
// kept, padding skipped), exports, and the linker's empty import table.
#include "tools/pe2le/pe_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <vector>

namespace tunora::pe2le {
namespace {

constexpr std::uint32_t kPe = 0x40;
constexpr std::uint32_t kOptional = kPe + 24;
constexpr std::uint32_t kSections = kOptional + 224;
constexpr std::uint32_t kDataRaw = 0x300;  // file offset of .data, RVA 0x2000

void Put16(std::vector<std::uint8_t>& b, std::uint32_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t at, std::uint32_t v) {
  Put16(b, at, v);
  Put16(b, at + 2, v >> 16);
}

// .text at RVA 0x1000 (0x100 bytes), .data at RVA 0x2000 holding the export
// directory, the base relocation block and an import table with only its
// end marker.
std::vector<std::uint8_t> Image() {
  std::vector<std::uint8_t> b(0x400, 0);
  Put16(b, 0, 0x5A4D);
  Put32(b, 0x3C, kPe);
  Put32(b, kPe, 0x00004550);
  Put16(b, kPe + 4, 0x014C);  // i386
  Put16(b, kPe + 6, 2);       // sections
  Put16(b, kPe + 20, 224);    // optional header size
  Put16(b, kOptional, 0x010B);
  Put32(b, kOptional + 28, 0x10000);     // ImageBase
  Put32(b, kOptional + 92, 16);          // NumberOfRvaAndSizes
  Put32(b, kOptional + 96 + 0, 0x2000);  // export directory
  Put32(b, kOptional + 96 + 4, 0x40);
  Put32(b, kOptional + 96 + 8, 0x2080);  // import directory: the end marker only
  Put32(b, kOptional + 96 + 12, 20);
  Put32(b, kOptional + 96 + 40, 0x20C0);  // base relocations
  Put32(b, kOptional + 96 + 44, 16);
  const char* names[] = {".text", ".data"};
  for (std::uint32_t i = 0; i < 2; ++i) {
    const std::uint32_t h = kSections + 40 * i;
    for (std::uint32_t c = 0; names[i][c] != 0; ++c) b[h + c] = names[i][c];
    Put32(b, h + 8, 0x100);               // VirtualSize
    Put32(b, h + 12, 0x1000 * (i + 1));   // VirtualAddress
    Put32(b, h + 16, 0x100);              // SizeOfRawData
    Put32(b, h + 20, 0x200 + 0x100 * i);  // PointerToRawData
    Put32(b, h + 36, i == 0 ? 0x60000020u : 0xC0000040u);
  }
  b[0x200] = 0xC3;  // ret
  // Export directory: one name, "HWGT9X_DDB" -> RVA 0x2010.
  Put32(b, kDataRaw + 20, 1);       // NumberOfFunctions
  Put32(b, kDataRaw + 24, 1);       // NumberOfNames
  Put32(b, kDataRaw + 28, 0x2040);  // AddressOfFunctions
  Put32(b, kDataRaw + 32, 0x2044);  // AddressOfNames
  Put32(b, kDataRaw + 36, 0x2048);  // AddressOfNameOrdinals
  Put32(b, kDataRaw + 0x40, 0x2010);
  Put32(b, kDataRaw + 0x44, 0x2050);
  Put16(b, kDataRaw + 0x48, 0);
  const char ddb[] = "HWGT9X_DDB";
  for (std::uint32_t c = 0; c < sizeof(ddb); ++c) b[kDataRaw + 0x50 + c] = ddb[c];
  // One block for page 0x1000: HIGHLOW at 0x10, 0x20, then ABSOLUTE padding.
  Put32(b, kDataRaw + 0xC0, 0x1000);
  Put32(b, kDataRaw + 0xC4, 16);
  Put16(b, kDataRaw + 0xC8, 0x3010);
  Put16(b, kDataRaw + 0xCA, 0x3020);
  Put16(b, kDataRaw + 0xCC, 0x0000);
  Put16(b, kDataRaw + 0xCE, 0x0000);
  return b;
}

TEST(PeImage, ReadsSectionsRelocationsAndExports) {
  const PeImage image = ReadPe(Image());
  EXPECT_EQ(image.image_base, 0x10000u);
  ASSERT_EQ(image.sections.size(), 2u);
  EXPECT_EQ(image.sections[0].name, ".text");
  EXPECT_EQ(image.sections[0].rva, 0x1000u);
  EXPECT_EQ(image.sections[0].data.at(0), 0xC3);
  EXPECT_EQ(image.sections[1].name, ".data");
  EXPECT_EQ(image.sections[1].characteristics, 0xC0000040u);
  EXPECT_EQ(image.highlow_relocations, (std::vector<std::uint32_t>{0x1010, 0x1020}));
  ASSERT_EQ(image.exports.count("HWGT9X_DDB"), 1u);
  EXPECT_EQ(image.exports.at("HWGT9X_DDB"), 0x2010u);
  EXPECT_FALSE(image.has_imports) << "an import table with only its end marker imports nothing";
}

TEST(PeImage, RefusesWhatIsNoI386ImageWithHighLowRelocations) {
  const std::vector<std::pair<const char*, std::function<void(std::vector<std::uint8_t>&)>>>
      spoilers = {
          {"no MZ", [](auto& b) { b[0] = 'X'; }},
          {"no PE signature", [](auto& b) { b[kPe] = 'X'; }},
          {"not i386", [](auto& b) { Put16(b, kPe + 4, 0x8664); }},
          {"not PE32", [](auto& b) { Put16(b, kOptional, 0x020B); }},
          {"a 64-bit relocation", [](auto& b) { Put16(b, kDataRaw + 0xCA, 0xA020); }},
          {"a relocation block running past its directory",
           [](auto& b) { Put32(b, kDataRaw + 0xC4, 32); }},
          {"truncated", [](auto& b) { b.resize(0x250); }},
      };
  for (const auto& [what, spoil] : spoilers) {
    SCOPED_TRACE(what);
    std::vector<std::uint8_t> bytes = Image();
    spoil(bytes);
    EXPECT_THROW(ReadPe(bytes), std::invalid_argument);
  }
  std::vector<std::uint8_t> importing = Image();
  Put32(importing, kDataRaw + 0x80 + 12, 0x2050);  // a DLL name: something is imported
  EXPECT_TRUE(ReadPe(importing).has_imports);
}

}  // namespace
}  // namespace tunora::pe2le
