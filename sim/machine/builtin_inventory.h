// The management-instrumentation inventory of a built-in machine: a PC of
// the era its chipset and Windows version tell, with its PCI devices as
// Windows enumerates them.
#pragma once

#include <nlohmann/json.hpp>

#include "sim/machine/profile.h"

namespace tunora::sim {

// The profile's "wmi" entry: namespace and classes, no fault switches.
nlohmann::json BuiltinInventory(const Profile& profile);

}  // namespace tunora::sim
