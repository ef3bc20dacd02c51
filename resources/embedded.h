// Files the programs carry inside themselves (resource type "BINRES").
//
// The Windows build embeds the real driver binaries. The simulated build
// embeds the same binaries where it could build them, and stand-ins
// otherwise; the simulated service control manager recognises either
// byte for byte. tunora's
// resource 170 is the built lockstep program in both builds.
#pragma once

#include <optional>
#include <string_view>

namespace tunora {

// Resource ids in tunora.
inline constexpr int kResHwgt9x = 168;
inline constexpr int kResHwgate4 = 169;
inline constexpr int kResLockstep = 170;
inline constexpr int kResHwgate2 = 666;
inline constexpr int kResHelp = 999;
// Resource ids in lockstep.
inline constexpr int kLockstepResHwgt9x = 200;
inline constexpr int kLockstepResHwgate4 = 400;

enum class DriverKind { kHwgate2, kHwgate4, kHwgt9x };

// The image of one driver, identical in both programs.
std::string_view DriverImage(DriverKind kind);

// The driver as the Windows configuration built it, where this build
// embeds it (see cmake/real_drivers.cmake); empty otherwise.
std::string_view BuiltDriverImage(DriverKind kind);

// BINRES lookup for each program; nullopt for an id it does not carry.
std::optional<std::string_view> TunoraResource(int id);
std::optional<std::string_view> LockstepResource(int id);

}  // namespace tunora
