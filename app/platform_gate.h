// Start-up's decision about the running Windows version.
#pragma once

#include <string>

#include "hwaccess/platform_kind.h"
#include "platform/system.h"

namespace tunora {

enum class PlatformVerdict {
  kSupported,
  kWindows95,     // "This platform is NOT supported!", exit 1
  kUnrecognised,  // "This platfrom is not supported!", exit 0
};

struct PlatformClass {
  PlatformVerdict verdict = PlatformVerdict::kUnrecognised;
  PlatformKind kind = kPlatformUnclassified;
  std::string name;
};

PlatformClass ClassifyPlatform(const OsVersion& version);

}  // namespace tunora
