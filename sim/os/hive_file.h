// The hive file on disk (a machine's registry.reg). Saving is atomic: the
// text goes to "<file>.tmp" beside it, is flushed to the disk and renamed
// over the file, so the file is always whole, old or new. A ".tmp" left by
// a crash is ignored on load and overwritten by the next save.
#pragma once

#include <filesystem>
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

}  // namespace tunora::sim
