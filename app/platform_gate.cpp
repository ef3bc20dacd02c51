#include "app/platform_gate.h"

namespace tunora {

PlatformClass ClassifyPlatform(const OsVersion& version) {
  PlatformClass result;
  if (version.platform_id == kVerPlatformWin32Windows) {
    if (version.minor < 10) {
      result.verdict = PlatformVerdict::kWindows95;
      return result;
    }
    result.verdict = PlatformVerdict::kSupported;
    result.kind = kPlatform9x;
    result.name = version.minor == 10 ? "Windows 98" : "Windows ME";
    return result;
  }
  if (version.platform_id == kVerPlatformWin32Nt) {
    if (version.major != 5) {
      result.verdict = PlatformVerdict::kSupported;
      result.kind = kPlatformNt4;
      result.name = "Windows NT";
    } else if (version.minor <= 1) {
      result.verdict = PlatformVerdict::kSupported;
      result.kind = kPlatformWin2kXp;
      result.name = version.minor == 0 ? "Windows 2000" : "Windows XP";
    }
    // Windows NT 5.2 and later minors (Server 2003 and its kin) were never
    // classified: the display drivers this tool tweaks are not known to
    // keep their settings there, so such a system is refused like any
    // unrecognised platform rather than run half-initialised.
    return result;
  }
  return result;
}

}  // namespace tunora
