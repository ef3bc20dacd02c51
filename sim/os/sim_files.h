// Files port over a machine's drive_c/ folder. Windows paths ("c:\x.txt",
// "C:\WINNT\System32\Drivers\hwgate4.sys") map into it case-insensitively:
// each component matches an existing entry whatever its case, new entries
// take the case the program wrote.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/files.h"

namespace tunora::sim {

class SimFiles : public Files {
 public:
  SimFiles(std::filesystem::path drive_c, std::string windows_directory)
      : drive_c_(std::move(drive_c)), windows_directory_(std::move(windows_directory)) {}

  std::string WindowsDirectory() override { return windows_directory_; }
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  bool AppendFile(std::string_view path, std::string_view bytes) override;
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool DeleteFile(std::string_view path) override;
  bool FileExists(std::string_view path) override;

  // The host path a Windows path names, or nothing when the path is not
  // on C:, climbs out with "..", or its folder does not exist.
  std::optional<std::filesystem::path> Resolve(std::string_view windows_path) const;

 private:
  std::filesystem::path drive_c_;
  std::string windows_directory_;
};

}  // namespace tunora::sim
