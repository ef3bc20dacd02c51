// tunora's embedded files. Kept apart from embedded.cpp because tunora
// carries lockstep: only the programs that link lockstep's image (tunora,
// tunora-sim, the tests) may pull this file in, never lockstep itself.
#include "resources/embedded.h"

namespace tunora {

// The compiled help file; its source is generated from resources/help.
std::string_view HelpFileImage();
// The built lockstep program (cmake/lockstep_image.cmake).
std::string_view LockstepImage();

std::optional<std::string_view> TunoraResource(int id) {
  switch (id) {
    case kResHwgt9x:
      return DriverImage(DriverKind::kHwgt9x);
    case kResHwgate4:
      return DriverImage(DriverKind::kHwgate4);
    case kResLockstep:
      return LockstepImage();
    case kResHwgate2:
      return DriverImage(DriverKind::kHwgate2);
    case kResHelp:
      return HelpFileImage();
    default:
      return std::nullopt;
  }
}

}  // namespace tunora
