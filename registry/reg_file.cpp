#include "registry/reg_file.h"

#include "platform/registry.h"

namespace tunora {
namespace {

// regedit breaks hex data once a line reaches this column.
constexpr std::size_t kHexWrapColumn = 77;
constexpr char kHexDigits[] = "0123456789abcdef";

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

}  // namespace

void AppendRegFileQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

std::string WidenLatin1(std::string_view text) {
  std::string wide;
  wide.reserve(text.size() * 2);
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

std::string FoldName(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

void AppendRegFileName(std::string& out, std::string_view name) {
  if (name.empty()) {
    out += '@';
  } else {
    AppendRegFileQuoted(out, name);
  }
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

void AppendRegFileValue(std::string& out, std::string_view name, std::uint32_t type,
                        std::string_view data, bool wide_strings) {
  const std::size_t line_start = out.size();
  AppendRegFileName(out, name);
  out += '=';
  if (type == kRegSz && FitsQuotedString(data)) {
    AppendRegFileQuoted(out, data.substr(0, data.size() - 1));
  } else if (type == kRegDword && data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) {
      number = (number << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    }
    out += "dword:";
    AppendHexNumber(out, number, 8);
  } else {
    if (type == kRegBinary) {
      out += "hex:";
    } else {
      out += "hex(";
      AppendHexNumber(out, type, 1);
      out += "):";
    }
    AppendHexBytes(out, wide_strings && IsStringType(type) ? WidenLatin1(data) : data, line_start);
  }
  out += '\n';
}

}  // namespace tunora
