// Which display-driver package is installed (NT road): the "PackageVer"
// value of the first display-driver service key that opens.
#pragma once

#include <string_view>

#include "platform/platform.h"
#include "settings/settings_context.h"

namespace tunora {

// Shows "Error2: Unable to find driver version" and returns 0.0 when no
// display-driver service key opens.
DriverVersion ReadDriverVersion(Platform& platform);

// "5.52.011" -> 5, 52. Only the characters that are there are read: a
// value shorter than four characters gives what it holds ("5.5" -> 5, 5).
DriverVersion ParsePackageVersion(std::string_view text);

}  // namespace tunora
