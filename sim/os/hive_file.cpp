#include "sim/os/hive_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tunora::sim {
namespace {

// Pushes the file's data to the disk, so the rename below can never
// publish a file whose contents are still only in the page cache.
bool SyncToDisk(std::FILE* file) {
#if defined(_WIN32)
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// Makes the rename itself durable; best effort, as not every file system
// lets a directory be opened.
void SyncDirectory(const std::filesystem::path& directory) {
#if !defined(_WIN32)
  int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
#else
  (void)directory;
#endif
}

void WriteWhole(const std::filesystem::path& path, std::string_view text) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (file == nullptr) {
    throw RegistryFileError(path.string(), std::string("cannot create: ") + std::strerror(errno));
  }
  bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() &&
                 std::fflush(file) == 0 && SyncToDisk(file);
  int saved_errno = errno;
  bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    throw RegistryFileError(path.string(),
                            std::string("cannot write: ") + std::strerror(saved_errno));
  }
}

}  // namespace

WholeFile ReadWholeFile(const std::filesystem::path& path, std::uintmax_t limit) {
  WholeFile file;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return file;  // kCannotOpen
  if (!std::filesystem::is_regular_file(path, error)) {
    file.outcome = WholeFile::Outcome::kNotAFile;
    return file;
  }
  file.size = std::filesystem::file_size(path, error);
  if (!error && file.size > limit) {
    file.outcome = WholeFile::Outcome::kTooLarge;
    return file;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return file;  // kCannotOpen
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) {
    file.outcome = WholeFile::Outcome::kReadFailed;
    return file;
  }
  file.bytes = std::move(text).str();
  file.outcome = WholeFile::Outcome::kRead;
  return file;
}

Hive LoadHiveFile(const std::filesystem::path& path) {
  const WholeFile file = ReadWholeFile(path);
  switch (file.outcome) {
    case WholeFile::Outcome::kRead:
      return ParseRegedit4(file.bytes, path.string());
    case WholeFile::Outcome::kCannotOpen:
      throw RegistryFileError(path.string(), "cannot open the registry file");
    case WholeFile::Outcome::kNotAFile:
      throw RegistryFileError(path.string(), "the registry file is not a file");
    case WholeFile::Outcome::kTooLarge:
      throw RegistryFileError(path.string(), "the registry file is larger than 64 MiB");
    case WholeFile::Outcome::kReadFailed:
      break;
  }
  throw RegistryFileError(path.string(), "cannot read the registry file");
}

void SaveHiveFileAtomic(const Hive& hive, const std::filesystem::path& path) {
  WriteTextFileAtomic(path, ExportRegedit4(hive));
}

void WriteTextFileAtomic(const std::filesystem::path& path, std::string_view text) {
  std::filesystem::path temporary = path;
  temporary += ".tmp";
  WriteWhole(temporary, text);
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    throw RegistryFileError(path.string(), "cannot replace the file: " + error.message());
  }
  SyncDirectory(path.parent_path());
}

}  // namespace tunora::sim
