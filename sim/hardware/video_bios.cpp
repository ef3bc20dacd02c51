// Synthesised video BIOS images for the simulated cards.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "sim/hardware/physical_memory.h"

namespace tunora::sim {
namespace {

constexpr std::size_t kBannerOffset = 0x08;
constexpr std::string_view kBannerPrefix = "QUILLEX VGA BIOS ";
constexpr std::size_t kChecksumOffset = kVideoBiosSize - 1;
// The parameter block lies after the header and before the pointer.
constexpr std::size_t kFirstBlockOffset = 0x80;

void PlaceBanner(std::vector<std::uint8_t>& image, std::string_view version_text) {
  const std::string banner = std::string(kBannerPrefix) + "(" + std::string(version_text) + ")";
  if (kBannerOffset + banner.size() > kBiosTextWindow) {
    throw std::invalid_argument("the BIOS version text does not fit in the first 127 bytes");
  }
  std::copy(banner.begin(), banner.end(), image.begin() + kBannerOffset);
}

void PlaceBlock(std::vector<std::uint8_t>& image, std::uint16_t offset,
                std::span<const std::uint8_t> block, std::uint16_t pointer) {
  if (offset < kFirstBlockOffset || offset + block.size() > kBiosBlockPointerOffset) {
    throw std::invalid_argument("the BIOS parameter block does not fit");
  }
  std::copy(block.begin(), block.end(), image.begin() + offset);
  image[kBiosBlockPointerOffset] = static_cast<std::uint8_t>(pointer);
  image[kBiosBlockPointerOffset + 1] = static_cast<std::uint8_t>(pointer >> 8);
}

}  // namespace

std::vector<std::uint8_t> BuildVideoBios(std::string_view version_text,
                                         std::uint16_t parameter_block_offset,
                                         std::span<const std::uint8_t> parameter_block,
                                         std::optional<std::uint16_t> block_pointer) {
  std::vector<std::uint8_t> image(kVideoBiosSize, 0);
  image[0] = 0x55;  // option ROM signature
  image[1] = 0xAA;
  image[2] = static_cast<std::uint8_t>(kVideoBiosSize / 512);
  image[3] = 0xCB;  // entry point: a far return
  PlaceBanner(image, version_text);
  PlaceBlock(image, parameter_block_offset, parameter_block,
             block_pointer.value_or(parameter_block_offset));
  unsigned sum = 0;
  for (std::size_t i = 0; i < kChecksumOffset; ++i) sum += image[i];
  image[kChecksumOffset] = static_cast<std::uint8_t>(0x100 - (sum & 0xFF));
  return image;
}

}  // namespace tunora::sim
