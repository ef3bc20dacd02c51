#include "platform/win32/files_win32.h"

#include "platform/win32/windows_api.h"

namespace tunora::win32 {
namespace {

// Writes everything at the file's current position and closes it.
bool WriteAndClose(HFILE file, std::string_view bytes) {
  const auto size = static_cast<long>(bytes.size());
  const long written = _hwrite(file, bytes.data(), size);
  const bool closed = _lclose(file) != HFILE_ERROR;
  return written == size && closed;
}

}  // namespace

std::string Win32Files::WindowsDirectory() {
  char buffer[MAX_PATH + 1] = {};
  const UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  std::string directory(buffer, length);
  // Only a Windows installed in a drive's root ends in a backslash.
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

bool Win32Files::WriteFile(std::string_view path, std::string_view bytes) {
  const HFILE file = _lcreat(std::string(path).c_str(), 0);
  if (file == HFILE_ERROR) return false;
  return WriteAndClose(file, bytes);
}

bool Win32Files::AppendFile(std::string_view path, std::string_view bytes) {
  const std::string name(path);
  HFILE file = _lopen(name.c_str(), OF_WRITE);
  if (file == HFILE_ERROR) {
    file = _lcreat(name.c_str(), 0);
    if (file == HFILE_ERROR) return false;
  } else if (_llseek(file, 0, FILE_END) == HFILE_ERROR) {
    _lclose(file);
    return false;
  }
  return WriteAndClose(file, bytes);
}

std::optional<std::string> Win32Files::ReadFile(std::string_view path) {
  const HFILE file = _lopen(std::string(path).c_str(), OF_READ);
  if (file == HFILE_ERROR) return std::nullopt;
  const LONG size = _llseek(file, 0, FILE_END);
  std::optional<std::string> bytes;
  if (size != HFILE_ERROR && _llseek(file, 0, FILE_BEGIN) == 0) {
    std::string buffer(static_cast<std::size_t>(size), '\0');
    if (_hread(file, buffer.data(), size) == size) bytes = std::move(buffer);
  }
  _lclose(file);
  return bytes;
}

bool Win32Files::DeleteFile(std::string_view path) {
  const std::string name(path);
  OFSTRUCT info{};
  if (OpenFile(name.c_str(), &info, OF_DELETE) != HFILE_ERROR) return true;
  // OpenFile takes paths of at most OFS_MAXPATHNAME (128) characters; a
  // file below a longer Windows directory is deleted by name instead of
  // being left behind.
  return name.size() >= OFS_MAXPATHNAME && DeleteFileA(name.c_str()) != 0;
}

bool Win32Files::FileExists(std::string_view path) {
  const DWORD attributes = GetFileAttributesA(std::string(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace tunora::win32
