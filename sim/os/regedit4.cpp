// REGEDIT4 and version 5 export; the import lives in regedit4_parse.cpp.
#include "sim/os/regedit4.h"

#include <stdexcept>

#include "platform/registry.h"
#include "registry/reg_file.h"

namespace tunora::sim {
namespace {

std::string LineMessage(std::string_view file_name, int line, std::string_view message) {
  return std::string(file_name) + ":" + std::to_string(line) + ": " + std::string(message);
}

std::string FileMessage(std::string_view file_name, std::string_view message) {
  return std::string(file_name) + ": " + std::string(message);
}

// `path` is the key's full name, "HKEY_LOCAL_MACHINE\...".
void AppendKey(std::string& out, const HiveKey& key, std::string& path, bool wide_strings) {
  out += '[';
  out += path;
  out += "]\n";
  for (const HiveValue& value : key.values()) {
    AppendRegFileValue(out, value.name, value.type, value.data, wide_strings);
  }
  out += '\n';
  for (std::size_t i = 0; i < key.SubKeyCount(); ++i) {
    const HiveKey& sub_key = key.SubKey(i);
    std::size_t length = path.size();
    path += '\\';
    path += sub_key.name();
    AppendKey(out, sub_key, path, wide_strings);
    path.resize(length);
  }
}

std::string ExportText(const Hive& hive, std::string_view subtree_path, std::string_view header,
                       bool wide_strings) {
  std::vector<std::string_view> parts;
  if (SplitKeyPath(subtree_path, &parts) != kErrorSuccess) {
    throw std::invalid_argument("bad registry key path \"" + std::string(subtree_path) + "\"");
  }
  std::string out = std::string(header) + "\n\n";
  // The header names keys with their stored case, whatever case was asked.
  std::string path(kLocalMachineName);
  const HiveKey* key = &hive.root();
  for (std::string_view part : parts) {
    key = key->FindSubKey(part);
    if (key == nullptr) return out;
    path += '\\';
    path += key->name();
  }
  AppendKey(out, *key, path, wide_strings);
  return out;
}

}  // namespace

RegistryFileError::RegistryFileError(std::string_view file_name, int line, std::string_view message)
    : std::runtime_error(LineMessage(file_name, line, message)), line_(line) {}

RegistryFileError::RegistryFileError(std::string_view file_name, std::string_view message)
    : std::runtime_error(FileMessage(file_name, message)) {}

std::string ExportRegedit4(const Hive& hive, std::string_view subtree_path) {
  return ExportText(hive, subtree_path, kRegedit4Header, false);
}

std::string ExportRegFile(const Hive& hive, std::string_view subtree_path, RegFileForm form) {
  const bool version5 = form == RegFileForm::kVersion5;
  const std::string text =
      ExportText(hive, subtree_path, version5 ? kVersion5Header : kRegedit4Header, version5);
  const std::string crlf = WithCrLf(text);
  if (!version5) return crlf;
  return std::string(kUtf16LeByteOrderMark) + WidenLatin1(crlf);
}

}  // namespace tunora::sim
