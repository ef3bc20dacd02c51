// REGEDIT4 and version 5 import. Strict on purpose: a hive file that does
// not parse is reported with its line, never loaded in part.
#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/registry.h"
#include "sim/os/regedit4.h"

namespace tunora::sim {
namespace {

constexpr std::string_view kBlanks = " \t";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view text) {
  std::size_t start = text.find_first_not_of(kBlanks);
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

std::string_view TrimRight(std::string_view text, std::string_view blanks = kBlanks) {
  std::size_t end = text.find_last_not_of(blanks);
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

// 1..max_digits hex digits and nothing else.
std::optional<std::uint32_t> HexNumber(std::string_view text, std::size_t max_digits) {
  if (text.empty() || text.size() > max_digits) return std::nullopt;
  std::uint32_t number = 0;
  for (char c : text) {
    std::optional<unsigned> digit = HexDigit(c);
    if (!digit) return std::nullopt;
    number = (number << 4) | *digit;
  }
  return number;
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// The line the end of `text` lies on, counted from 1.
int LastLine(std::string_view text) {
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// UTF-16LE (after its byte-order mark) as Latin-1 text: each code unit
// must fit in a byte.
std::string DecodeUtf16Le(std::string_view bytes, std::string_view file_name) {
  bytes.remove_prefix(kUtf16LeByteOrderMark.size());
  std::string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(bytes[i]) |
                          static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1])) << 8;
    if (unit > 0xFF) {
      char message[64];
      std::snprintf(message, sizeof message, "character U+%04X outside Latin-1", unit);
      throw RegistryFileError(file_name, LastLine(text), message);
    }
    text += static_cast<char>(unit);
  }
  if (bytes.size() % 2 != 0) {
    throw RegistryFileError(file_name, LastLine(text), "UTF-16LE text ends in half a character");
  }
  return text;
}

class Parser {
 public:
  Parser(std::string_view text, std::string_view file_name, Hive& hive, bool deletions)
      : text_(text), file_name_(file_name), deletions_(deletions), hive_(hive) {}

  void Parse() {
    std::string_view line;
    if (!NextLine(&line) || (line != kRegedit4Header && line != kVersion5Header)) {
      Fail("missing REGEDIT4 or version 5 header");
    }
    version5_ = line == kVersion5Header;
    while (NextLine(&line)) {
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        ParseKeyLine(line);
      } else if (line.front() == '"' || line.front() == '@') {
        // regedit passes over the values of a key it just deleted.
        if (!in_deleted_key_) ParseValueLine(line);
      } else {
        Fail("unrecognised line");
      }
    }
  }

 private:
  // The next line without its line end and surrounding blanks (a CR of a
  // CRLF line end included).
  bool NextLine(std::string_view* line) {
    if (position_ >= text_.size()) return false;
    std::size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    *line = TrimLeft(TrimRight(text_.substr(position_, end - position_), " \t\r"));
    position_ = end + 1;
    ++line_number_;
    return true;
  }

  [[noreturn]] void Fail(std::string_view message) const {
    throw RegistryFileError(file_name_, line_number_ == 0 ? 1 : line_number_, message);
  }

  void ParseKeyLine(std::string_view line) {
    if (line.back() != ']' || line.size() < 2) Fail("key line without a closing ']'");
    std::string_view path = line.substr(1, line.size() - 2);
    const bool remove = !path.empty() && path.front() == '-';
    if (remove && !deletions_) Fail("deleting keys is not supported");
    if (remove) path.remove_prefix(1);
    if (!StartsWithNoCase(path, kLocalMachineName)) Fail("key is not under HKEY_LOCAL_MACHINE");
    path.remove_prefix(kLocalMachineName.size());
    if (!path.empty() && path.front() != '\\') Fail("key is not under HKEY_LOCAL_MACHINE");
    if (!path.empty()) path.remove_prefix(1);
    std::vector<std::string_view> parts;
    std::int32_t error = SplitKeyPath(path, &parts);
    if (error == kErrorBadPathname) Fail("empty key name in the path");
    if (error != kErrorSuccess) Fail("key name longer than 255 characters or path too deep");
    in_deleted_key_ = remove;
    if (remove) {
      // The key goes with everything below it; a missing one is no error.
      hive_.RemoveKey(JoinKeyPath(parts));
      current_ = nullptr;
      return;
    }
    current_ = &hive_.root();
    for (std::string_view part : parts) current_ = &current_->AddSubKey(part);
  }

  void ParseValueLine(std::string_view line) {
    if (current_ == nullptr) Fail("value line outside of a key");
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      name = ParseQuoted(&line, "unterminated value name");
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') Fail("expected '=' after the value name");
    line = TrimLeft(line.substr(1));
    if (line == "-") {
      if (!deletions_) Fail("deleting values is not supported");
      current_->DeleteValue(name);
    } else if (!line.empty() && line.front() == '"') {
      std::string text = ParseQuoted(&line, "unterminated string");
      if (!line.empty()) Fail("unexpected text after the string");
      current_->SetValue(name, kRegSz, StringBytes(text));
    } else if (StartsWithNoCase(line, "dword:")) {
      std::optional<std::uint32_t> number = HexNumber(line.substr(6), 8);
      if (!number) Fail("bad dword value (1 to 8 hex digits expected)");
      current_->SetValue(name, kRegDword, DwordBytes(*number));
    } else if (StartsWithNoCase(line, "hex:")) {
      current_->SetValue(name, kRegBinary, ParseHexBytes(line.substr(4)));
    } else if (StartsWithNoCase(line, "hex(")) {
      std::size_t close = line.find("):");
      std::optional<std::uint32_t> type;
      if (close != std::string_view::npos) type = HexNumber(line.substr(4, close - 4), 8);
      if (!type) Fail("bad value type in hex(...)");
      std::string bytes = ParseHexBytes(line.substr(close + 2));
      if (version5_ && IsStringType(*type)) bytes = NarrowUtf16(bytes);
      current_->SetValue(name, *type, std::move(bytes));
    } else {
      Fail("unrecognised value data");
    }
  }

  // A quoted string at the front of *rest, with \\ and \" escapes;
  // *rest is left after the closing quote.
  std::string ParseQuoted(std::string_view* rest, std::string_view unterminated) {
    std::string text;
    std::size_t i = 1;
    while (true) {
      if (i >= rest->size()) Fail(unterminated);
      char c = (*rest)[i++];
      if (c == '"') break;
      if (c == '\\') {
        if (i >= rest->size()) Fail(unterminated);
        c = (*rest)[i++];
        if (c != '\\' && c != '"') Fail("unknown escape in a quoted string (only \\\\ and \\\")");
      }
      text += c;
    }
    rest->remove_prefix(i);
    return text;
  }

  // Comma-separated bytes of one or two hex digits; a line ending in "\"
  // continues on the next one.
  std::string ParseHexBytes(std::string_view segment) {
    std::string bytes;
    bool want_byte = true;  // at the start, or after a comma
    bool seen_comma = false;
    while (true) {
      bool continued = !segment.empty() && segment.back() == '\\';
      if (continued) segment = TrimRight(segment.substr(0, segment.size() - 1));
      for (std::size_t i = 0; i < segment.size();) {
        if (IsBlank(segment[i])) {
          ++i;
        } else if (segment[i] == ',') {
          if (want_byte) Fail("missing hex byte before ','");
          want_byte = seen_comma = true;
          ++i;
        } else {
          std::size_t end = segment.find_first_of(", \t", i);
          if (end == std::string_view::npos) end = segment.size();
          std::optional<std::uint32_t> byte = HexNumber(segment.substr(i, end - i), 2);
          if (!byte) Fail("bad hex byte '" + std::string(segment.substr(i, end - i)) + "'");
          if (!want_byte) Fail("expected ',' between hex bytes");
          bytes += static_cast<char>(*byte);
          want_byte = false;
          i = end;
        }
      }
      if (!continued) break;
      if (!NextLine(&segment)) Fail("hex data continues past the end of the file");
    }
    if (seen_comma && want_byte) Fail("hex data ends with ','");
    return bytes;
  }

  // Version 5 keeps the string types' hex data as UTF-16LE.
  std::string NarrowUtf16(std::string_view bytes) const {
    if (bytes.size() % 2 != 0) Fail("string data of an odd number of bytes in a version 5 file");
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
      if (bytes[i + 1] != '\0') Fail("string data with a character outside Latin-1");
      text += bytes[i];
    }
    return text;
  }

  std::string_view text_;
  std::string_view file_name_;
  bool deletions_ = false;
  bool in_deleted_key_ = false;
  bool version5_ = false;
  std::size_t position_ = 0;
  int line_number_ = 0;
  Hive& hive_;
  HiveKey* current_ = nullptr;
};

}  // namespace

Hive ParseRegedit4(std::string_view text, std::string_view file_name) {
  Hive hive;
  ImportRegFile(text, hive, false, file_name);
  return hive;
}

void ImportRegFile(std::string_view text, Hive& hive, bool deletions, std::string_view file_name) {
  std::string decoded;
  if (text.starts_with(kUtf16LeByteOrderMark)) {
    decoded = DecodeUtf16Le(text, file_name);
    text = decoded;
  }
  // Tried on a copy first: a file that does not parse changes nothing, and
  // keys that stay keep their handles.
  Hive trial = hive;
  Parser(text, file_name, trial, deletions).Parse();
  Parser(text, file_name, hive, deletions).Parse();
}

}  // namespace tunora::sim
