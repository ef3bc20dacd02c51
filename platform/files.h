// Files port: whole-file access by Windows path ("c:\hw_temp.txt").
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunora {

class Files {
 public:
  virtual ~Files() = default;
  // GetWindowsDirectory: "C:\WINNT", "C:\WINDOWS", ... without a trailing
  // backslash.
  virtual std::string WindowsDirectory() = 0;
  // _lcreat + _hwrite + _lclose: creates or truncates, writes everything.
  virtual bool WriteFile(std::string_view path, std::string_view bytes) = 0;
  // Appends to a file, creating it when missing.
  virtual bool AppendFile(std::string_view path, std::string_view bytes) = 0;
  virtual std::optional<std::string> ReadFile(std::string_view path) = 0;
  // OpenFile(OF_DELETE).
  virtual bool DeleteFile(std::string_view path) = 0;
  virtual bool FileExists(std::string_view path) = 0;
};

}  // namespace tunora
