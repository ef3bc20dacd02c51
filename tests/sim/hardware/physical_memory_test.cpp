// The physical address map and the synthesised video BIOS.
#include "sim/hardware/physical_memory.h"

#include <gtest/gtest.h>

#include <numeric>
#include <stdexcept>
#include <string>

#include "sim/hardware/card_model.h"
#include "sim/hardware/pci_bus.h"

namespace tunora::sim {
namespace {

std::vector<std::uint8_t> Block(std::size_t size) {
  std::vector<std::uint8_t> block(size);
  std::iota(block.begin(), block.end(), std::uint8_t{1});
  return block;
}

// The walk the programs make over the first 127 bytes.
std::string ParenthesisedText(const std::vector<std::uint8_t>& image) {
  std::string text;
  bool inside = false;
  for (std::size_t i = 0; i < kBiosTextWindow; ++i) {
    const char c = static_cast<char>(image[i]);
    if (c == ')') {
      inside = false;
      continue;
    }
    if (inside) text.push_back(c);
    if (c == '(') inside = true;
  }
  return text;
}

TEST(VideoBios, VersionTextShowsInParenthesesNearTheStart) {
  struct Case {
    std::string version;
    std::string walked;
  };
  const Case cases[] = {
      {"V1.2", "V1.2"},
      {"Rev 2.07.05", "Rev 2.07.05"},
      {"V1.2)(A", "V1.2A"},  // two groups join
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    const auto image = BuildVideoBios(c.version, 0x7C00, Block(80));
    ASSERT_EQ(image.size(), kVideoBiosSize);
    EXPECT_EQ(ParenthesisedText(image), c.walked);
  }
}

TEST(VideoBios, LaysOutSignatureBlockPointerAndChecksum) {
  const auto block = Block(96);
  const auto image = BuildVideoBios("V1.2", 0x7A10, block);
  EXPECT_EQ(image[0], 0x55);
  EXPECT_EQ(image[1], 0xAA);
  EXPECT_EQ(image[2], 64);  // 32 KB in 512-byte units
  EXPECT_EQ(image[0x7FFC], 0x10);
  EXPECT_EQ(image[0x7FFD], 0x7A);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), image.begin() + 0x7A10));
  const unsigned sum = std::accumulate(image.begin(), image.end(), 0u);
  EXPECT_EQ(sum % 256, 0u);
}

TEST(VideoBios, RefusesWhatDoesNotFit) {
  EXPECT_THROW(BuildVideoBios(std::string(110, 'x'), 0x7C00, Block(80)), std::invalid_argument);
  EXPECT_THROW(BuildVideoBios("V1", 0x7FC0, Block(80)), std::invalid_argument);  // over 0x7FFC
  EXPECT_THROW(BuildVideoBios("V1", 0x0010, Block(80)), std::invalid_argument);  // over the banner
  EXPECT_NO_THROW(BuildVideoBios("V1", 0x7FFC - 80, Block(80)));
}

class PhysicalMap : public ::testing::Test {
 protected:
  PhysicalMap() {
    MakerBoardConfig config;
    config.window_base = 0xE7000000;
    board = &bus.Attach(1, 0, MakeMakerBoard(config));
    bios = BuildVideoBios("V1.2", 0x7C00, Block(80));
    memory.SetVideoBios(bios);
    memory.AttachCard(*board, card);
  }

  PciBus bus;
  PciDevice* board = nullptr;
  CardModel card;
  PhysicalMemory memory;
  std::vector<std::uint8_t> bios;
};

TEST_F(PhysicalMap, BiosIsReadOnly) {
  EXPECT_EQ(memory.Read8(0xC0000), 0x55);
  EXPECT_EQ(memory.Read8(0xC7FFC), 0x00);
  EXPECT_EQ(memory.Read8(0xC7FFD), 0x7C);
  memory.Write8(0xC0000, 0x00);
  EXPECT_EQ(memory.Read8(0xC0000), 0x55);
  EXPECT_EQ(memory.Read8(0xC8000), 0xFF);  // just past the ROM
  EXPECT_EQ(memory.Read8(0xBFFFF), 0xFF);
}

TEST_F(PhysicalMap, UnmappedAddressesReadAllOnes) {
  for (std::uint64_t address : {0x0ull, 0x100000ull, 0xE6FFFFFFull, 0xE7004000ull, 0xFFFFFFFFull}) {
    memory.Write8(address, 0x12);
    EXPECT_EQ(memory.Read8(address), 0xFF) << std::hex << address;
  }
}

TEST_F(PhysicalMap, CardWindowAnswersAtItsBase) {
  card.SetDividers(6, 51, 0);
  memory.Write8(0xE7000000 + kDacIndexOffset, kDacPllN);
  EXPECT_EQ(memory.Read8(0xE7000000 + kDacDataOffset), 51);
  memory.Write8(0xE7003FFF, 0x42);
  EXPECT_EQ(card.Read8(0x3FFF), 0x42);
}

TEST_F(PhysicalMap, CardWindowNeedsMemoryDecoding) {
  board->Write32(kRegCommand, 0x0005);
  EXPECT_EQ(memory.Read8(0xE7000000 + kDacIndexOffset), 0xFF);
  board->Write32(kRegCommand, 0x0007);
  memory.Write8(0xE7000000 + kDacIndexOffset, 0x2C);
  EXPECT_EQ(memory.Read8(0xE7000000 + kDacIndexOffset), 0x2C);
}

TEST_F(PhysicalMap, CardWindowMovesWithItsBaseRegister) {
  memory.Write8(0xE7000010, 0x33);
  board->Write32(kRegWindowBase, 0xE9000000);
  EXPECT_EQ(memory.Read8(0xE7000010), 0xFF);
  EXPECT_EQ(memory.Read8(0xE9000010), 0x33);
}

TEST(PhysicalMapBios, RefusesAnImageOfTheWrongSize) {
  PhysicalMemory memory;
  EXPECT_THROW(memory.SetVideoBios(std::vector<std::uint8_t>(0x4000)), std::invalid_argument);
  EXPECT_EQ(memory.Read8(0xC0000), 0xFF);
}

}  // namespace
}  // namespace tunora::sim
