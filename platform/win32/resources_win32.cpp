// The embedded files on Windows: the program's own resources of type
// "BINRES" (see tunora.rc.in and lockstep.rc.in), in place of the
// simulator's resources/embedded.cpp.
#include <windows.h>

#include "resources/embedded.h"

namespace tunora {
namespace {

std::optional<std::string_view> Binres(int id) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), "BINRES");
  if (found == nullptr) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return std::nullopt;
  // A module's resources stay mapped for as long as it is loaded.
  return std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found));
}

}  // namespace

std::string_view DriverImage(DriverKind kind) {
  // tunora's ids first, then lockstep's: each program carries one set.
  std::optional<std::string_view> image;
  switch (kind) {
    case DriverKind::kHwgate2:
      image = Binres(kResHwgate2);
      break;
    case DriverKind::kHwgate4:
      image = Binres(kResHwgate4);
      if (!image) image = Binres(kLockstepResHwgate4);
      break;
    case DriverKind::kHwgt9x:
      image = Binres(kResHwgt9x);
      if (!image) image = Binres(kLockstepResHwgt9x);
      break;
  }
  return image.value_or(std::string_view());
}

std::optional<std::string_view> TunoraResource(int id) { return Binres(id); }

std::optional<std::string_view> LockstepResource(int id) { return Binres(id); }

}  // namespace tunora
