// The Linux computer tunora-sim runs on as a simulated PC's management
// instrumentation (`tunora-sim new DIR --wmi-from-host`): its firmware,
// processors, memory, disks, network interfaces and PCI devices with their
// resources, mapped onto the Win32_ classes the hardware log reads.
#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>

#include "sim/machine/profile.h"

namespace tunora::sim {

// Reads below `root` ("/" on the computer itself): sys/class/dmi/id,
// proc/cpuinfo, proc/meminfo, proc/sys/kernel/hostname, sys/block,
// sys/class/net and sys/bus/pci/devices. Every file is read bounded; what
// is missing or malformed gives no instance or a null value, never a
// made-up one. Returns the profile's "wmi" entry with every hardware
// class replaced by the computer's (empty where nothing is read); the
// classes of Windows' own settings and the fault switches stay the
// profile's.
nlohmann::json HostInventory(const std::filesystem::path& root, const Profile& profile);

}  // namespace tunora::sim
