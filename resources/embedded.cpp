#include "resources/embedded.h"

#include <string>

namespace tunora {
namespace {

// Stand-in images: an executable header followed by the driver's identity.
// Keeping them distinct matters: the simulated service manager loads a
// driver only when the file on disk holds exactly its image.
constexpr char kHwgate2Image[] =
    "MZ\x90\x00\x03\x00\x00\x00"
    "hwgate2 kernel driver: PCI configuration reads\x00"
    "version 1.0\x00";
constexpr char kHwgate4Image[] =
    "MZ\x90\x00\x03\x00\x00\x00"
    "hwgate4 kernel driver: PCI configuration, ports and physical memory\x00"
    "version 1.0\x00";
constexpr char kHwgt9xImage[] =
    "MZ\x90\x00\x03\x00\x00\x00"
    "HWGT9X dynamic virtual device driver: physical memory mapping\x00"
    "version 1.4\x00";

constexpr std::string_view View(const char* image, std::size_t size_with_nul) {
  return std::string_view(image, size_with_nul - 1);
}

}  // namespace

std::string_view DriverImage(DriverKind kind) {
  if (const std::string_view built = BuiltDriverImage(kind); !built.empty()) return built;
  switch (kind) {
    case DriverKind::kHwgate2:
      return View(kHwgate2Image, sizeof kHwgate2Image);
    case DriverKind::kHwgate4:
      return View(kHwgate4Image, sizeof kHwgate4Image);
    case DriverKind::kHwgt9x:
      return View(kHwgt9xImage, sizeof kHwgt9xImage);
  }
  return {};
}

std::optional<std::string_view> LockstepResource(int id) {
  switch (id) {
    case kLockstepResHwgt9x:
      return DriverImage(DriverKind::kHwgt9x);
    case kLockstepResHwgate4:
      return DriverImage(DriverKind::kHwgate4);
    default:
      return std::nullopt;
  }
}

}  // namespace tunora
