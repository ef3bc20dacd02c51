// REGEDIT4 and version 5 export; the import lives in regedit4_parse.cpp.
#include "sim/os/regedit4.h"

#include <stdexcept>

#include "platform/registry.h"

namespace tunora::sim {
namespace {

// regedit breaks hex data once a line reaches this column.
constexpr std::size_t kHexWrapColumn = 77;
constexpr char kHexDigits[] = "0123456789abcdef";

std::string LineMessage(std::string_view file_name, int line, std::string_view message) {
  return std::string(file_name) + ":" + std::to_string(line) + ": " + std::string(message);
}

std::string FileMessage(std::string_view file_name, std::string_view message) {
  return std::string(file_name) + ": " + std::string(message);
}

// Whether "text" can carry REG_SZ data byte for byte: exactly one zero, at
// the end, and no control characters a text line would lose or mangle.
bool FitsQuotedString(std::string_view data) {
  if (data.empty() || data.back() != '\0') return false;
  data.remove_suffix(1);
  for (char c : data) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t') return false;
  }
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

void AppendHexNumber(std::string& out, std::uint32_t number, int min_digits) {
  std::string digits;
  while (number != 0 || static_cast<int>(digits.size()) < min_digits) {
    digits.insert(digits.begin(), kHexDigits[number & 0xFu]);
    number >>= 4;
  }
  out += digits;
}

// Bytes as "01,02,..." wrapped the way regedit wraps them; `line_start` is
// where the current line begins in `out`.
void AppendHexBytes(std::string& out, std::string_view data, std::size_t line_start) {
  for (std::size_t i = 0; i < data.size(); ++i) {
    auto byte = static_cast<unsigned char>(data[i]);
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0xFu];
    if (i + 1 == data.size()) break;
    out += ',';
    if (out.size() - line_start >= kHexWrapColumn) {
      out += "\\\n  ";
      line_start = out.size() - 2;
    }
  }
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Latin-1 bytes as UTF-16LE code units.
std::string Widen(std::string_view text) {
  std::string wide;
  wide.reserve(text.size() * 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

// `wide_strings`: version 5 writes the string types' hex data as UTF-16LE.
void AppendValue(std::string& out, const HiveValue& value, bool wide_strings) {
  std::size_t line_start = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, value.name);
  }
  out += '=';
  if (value.type == kRegSz && FitsQuotedString(value.data)) {
    AppendQuoted(out, std::string_view(value.data).substr(0, value.data.size() - 1));
  } else if (value.type == kRegDword && value.data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
    }
    out += "dword:";
    AppendHexNumber(out, number, 8);
  } else {
    if (value.type == kRegBinary) {
      out += "hex:";
    } else {
      out += "hex(";
      AppendHexNumber(out, value.type, 1);
      out += "):";
    }
    AppendHexBytes(out, wide_strings && IsStringType(value.type) ? Widen(value.data) : value.data,
                   line_start);
  }
  out += '\n';
}

// `path` is the key's full name, "HKEY_LOCAL_MACHINE\...".
void AppendKey(std::string& out, const HiveKey& key, std::string& path, bool wide_strings) {
  out += '[';
  out += path;
  out += "]\n";
  for (const HiveValue& value : key.values()) AppendValue(out, value, wide_strings);
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
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  if (!version5) return crlf;
  return std::string(kUtf16LeByteOrderMark) + Widen(crlf);
}

}  // namespace tunora::sim
