// The machine's physical address map: the video BIOS ROM at 0xC0000 and
// each maker's card register window at the base its configuration space
// holds. Nothing else is decoded: unmapped addresses read 0xFF and
// writes to them are lost, as on a bus nobody answers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace tunora::sim {

class CardModel;
class PciDevice;

inline constexpr std::uint64_t kVideoBiosBase = 0xC0000;
inline constexpr std::uint32_t kVideoBiosSize = 0x8000;
inline constexpr std::uint32_t kBiosBlockPointerOffset = 0x7FFC;  // 16-bit LE
// The version text must show within this many bytes from the ROM's start.
inline constexpr std::uint32_t kBiosTextWindow = 127;

class PhysicalMemory {
 public:
  // The image must be exactly kVideoBiosSize bytes (std::invalid_argument).
  void SetVideoBios(std::vector<std::uint8_t> image);
  // The card answers at configuration register 0x14 with its low 14 bits
  // cleared, while memory decoding (command bit 1) is on and the base is
  // not 0; the window follows the register when software moves it. Both
  // objects must outlive this map.
  void AttachCard(const PciDevice& config, CardModel& card);

  std::uint8_t Read8(std::uint64_t address);
  void Write8(std::uint64_t address, std::uint8_t value);

 private:
  struct Card {
    const PciDevice* config;
    CardModel* model;
  };
  CardModel* CardAt(std::uint64_t address, std::uint32_t& offset) const;

  std::vector<std::uint8_t> bios_;
  std::vector<Card> cards_;
};

// A 32 KB video BIOS image: the ROM signature, a banner holding
// "(" + version_text + ")" inside the first 127 bytes, the parameter block
// at `parameter_block_offset`, its offset as 16-bit LE at 0x7FFC (or
// `block_pointer`, a fault switch, when given) and a checksum byte that
// makes the image sum to 0. Throws std::invalid_argument when the text or
// the block does not fit.
std::vector<std::uint8_t> BuildVideoBios(std::string_view version_text,
                                         std::uint16_t parameter_block_offset,
                                         std::span<const std::uint8_t> parameter_block,
                                         std::optional<std::uint16_t> block_pointer = {});

}  // namespace tunora::sim
