// Files port over the Windows directory and the _lcreat family of calls.
#pragma once

#include "platform/files.h"

namespace tunora::win32 {

class Win32Files : public Files {
 public:
  std::string WindowsDirectory() override;
  bool WriteFile(std::string_view path, std::string_view bytes) override;
  bool AppendFile(std::string_view path, std::string_view bytes) override;
  std::optional<std::string> ReadFile(std::string_view path) override;
  bool DeleteFile(std::string_view path) override;
  bool FileExists(std::string_view path) override;
};

}  // namespace tunora::win32
