#include "sim/os/sim_files.h"

#include <fstream>
#include <vector>

#include "sim/os/hive.h"

namespace tunora::sim {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty()) parts.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) parts.push_back(current);
  return parts;
}

// The existing entry of `folder` that matches `name`, else `name` itself.
std::filesystem::path Match(const std::filesystem::path& folder, const std::string& name) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (NamesEqual(entry.path().filename().string(), name)) return entry.path();
  }
  return folder / name;
}

}  // namespace

std::optional<std::filesystem::path> SimFiles::Resolve(std::string_view windows_path) const {
  if (windows_path.size() < 3 || Lower(windows_path[0]) != 'c' || windows_path[1] != ':' ||
      (windows_path[2] != '\\' && windows_path[2] != '/')) {
    return std::nullopt;
  }
  const std::vector<std::string> parts = Components(windows_path.substr(3));
  if (parts.empty()) return std::nullopt;
  std::filesystem::path current = drive_c_;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part == "." || part == ".." || part.find(':') != std::string::npos) return std::nullopt;
    current = Match(current, part);
    if (i + 1 < parts.size() && !std::filesystem::is_directory(current)) return std::nullopt;
  }
  return current;
}

bool SimFiles::WriteFile(std::string_view path, std::string_view bytes) {
  const auto file = Resolve(path);
  if (!file || std::filesystem::is_directory(*file)) return false;
  std::ofstream out(*file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool SimFiles::AppendFile(std::string_view path, std::string_view bytes) {
  const auto file = Resolve(path);
  if (!file || std::filesystem::is_directory(*file)) return false;
  std::ofstream out(*file, std::ios::binary | std::ios::app);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::optional<std::string> SimFiles::ReadFile(std::string_view path) {
  const auto file = Resolve(path);
  if (!file || !std::filesystem::is_regular_file(*file)) return std::nullopt;
  std::ifstream in(*file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool SimFiles::DeleteFile(std::string_view path) {
  const auto file = Resolve(path);
  if (!file || !std::filesystem::is_regular_file(*file)) return false;
  std::error_code error;
  return std::filesystem::remove(*file, error);
}

bool SimFiles::FileExists(std::string_view path) {
  const auto file = Resolve(path);
  return file && std::filesystem::is_regular_file(*file);
}

}  // namespace tunora::sim
