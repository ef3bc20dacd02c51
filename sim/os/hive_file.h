// The hive file on disk (a machine's registry.reg). Saving is atomic: the
// text goes to "<file>.tmp" beside it, is flushed to the disk and renamed
// over the file, so the file is always whole, old or new. A ".tmp" left by
// a crash is ignored on load and overwritten by the next save.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "sim/os/hive.h"
#include "sim/os/regedit4.h"

namespace tunora::sim {

// Throws RegistryFileError naming the file (and the line, for bad text).
Hive LoadHiveFile(const std::filesystem::path& path);
// Throws RegistryFileError when the file cannot be written.
void SaveHiveFileAtomic(const Hive& hive, const std::filesystem::path& path);
// The same for any text file of the machine (its state, its profile).
void WriteTextFileAtomic(const std::filesystem::path& path, std::string_view text);

// Far above any file a machine keeps or a program writes.
inline constexpr std::uintmax_t kLargestMachineFile = 64u << 20;

// A whole file, read only when it is a regular file of at most `limit`
// bytes: a pipe or a device named by mistake must not block the reader or
// exhaust its memory.
struct WholeFile {
  enum class Outcome { kRead, kCannotOpen, kNotAFile, kTooLarge, kReadFailed };
  Outcome outcome = Outcome::kCannotOpen;
  std::string bytes;
  std::uintmax_t size = 0;
};
WholeFile ReadWholeFile(const std::filesystem::path& path,
                        std::uintmax_t limit = kLargestMachineFile);

}  // namespace tunora::sim
