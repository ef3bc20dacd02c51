#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "sim/os/regedit4.h"

namespace tunora::sim {
namespace {

std::string Header(std::string_view body) { return "REGEDIT4\n\n" + std::string(body); }

std::string Version5(std::string_view body) {
  return std::string(kVersion5Header) + "\n\n" + std::string(body);
}

// Latin-1 text as UTF-16LE after the byte-order mark.
std::string Utf16(std::string_view text) {
  std::string out(kUtf16LeByteOrderMark);
  for (char c : text) out += {c, '\0'};
  return out;
}

// A hive with every kind of value and awkward names, for round trips.
Hive AwkwardHive() {
  Hive hive;
  HiveKey& key = hive.CreateKey("Software\\Round Trip\\[brackets]] and spaces ");
  key.SetValue("", kRegSz, StringBytes("default"));
  key.SetValue("quote\" and \\backslash\\", kRegSz, StringBytes("C:\\WINNT\\\"x\"\\"));
  key.SetValue("tab\there", kRegSz, StringBytes("tab\tand high \xE9\xFF"));
  key.SetValue("empty string", kRegSz, StringBytes(""));
  key.SetValue("no zero", kRegSz, "abc");
  key.SetValue("inner zero", kRegSz, std::string("a\0b\0", 4));
  key.SetValue("line feed", kRegSz, StringBytes("two\nlines"));
  key.SetValue("dword", kRegDword, DwordBytes(0xFEDCBA98));
  key.SetValue("short dword", kRegDword, "\x01");
  key.SetValue("expand", kRegExpandSz, StringBytes("%SystemRoot%"));
  key.SetValue("multi", kRegMultiSz, std::string("a\0b\0\0", 5));
  key.SetValue("none", kRegNone, "");
  key.SetValue("huge type", 0xFFFFFFFF, "\x7F");
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  key.SetValue("all bytes", kRegBinary, all_bytes + all_bytes);
  hive.CreateKey("Software\\Round Trip\\empty key");
  hive.CreateKey("Software\\ROUND TRIP\\Mixed\\Deep\\Deeper");
  hive.root().SetValue("root value", kRegDword, DwordBytes(1));
  return hive;
}

TEST(Regedit4RoundTrip, EveryTypeComesBackByteForByte) {
  const Hive hive = AwkwardHive();
  const std::string text = ExportRegedit4(hive);
  const Hive again = ParseRegedit4(text);
  EXPECT_EQ(again, hive) << text;
  EXPECT_EQ(ExportRegedit4(again), text);
}

// What "regedit /e" writes on either Windows generation reads back as
// the hive it came from.
TEST(RegFileRoundTrip, BothExportFormsComeBackByteForByte) {
  const Hive hive = AwkwardHive();
  for (RegFileForm form : {RegFileForm::kRegedit4, RegFileForm::kVersion5}) {
    SCOPED_TRACE(form == RegFileForm::kVersion5 ? "version 5" : "REGEDIT4");
    EXPECT_EQ(ParseRegedit4(ExportRegFile(hive, "", form)), hive);
  }
}

TEST(Regedit4RoundTrip, RandomBinaryValuesOfManyLengths) {
  std::mt19937 random(12345);
  Hive hive;
  for (std::size_t length = 0; length < 300; length += 7) {
    std::string data;
    for (std::size_t i = 0; i < length; ++i) data += static_cast<char>(random() & 0xFF);
    // Prefix lengths vary so that wrapping starts at every column.
    std::string name(length % 23, 'n');
    hive.SetValue("Random", name + std::to_string(length), static_cast<std::uint32_t>(length % 5),
                  data);
  }
  const std::string text = ExportRegedit4(hive);
  EXPECT_EQ(ParseRegedit4(text), hive);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
    start = end + 1;
  }
}

TEST(Regedit4Import, AcceptsTheFormsPeopleWriteByHand) {
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[hkey_local_machine\\Software\\Hand]\r\n"
      "  \"Short\"=dword:1f\r\n"
      "\"Upper\"=DWORD:0000ABCD\r\n"
      "\"Spaced\" = \"text\"  \r\n"
      "\"\"=\"the default\"\r\n"
      "\"Bytes\"=hex: 1, 2 ,FF\r\n"
      "\"Wrapped\"=hex(7):61,\\\r\n"
      "    00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Hand\\]\r\n"
      "\"Binary as hex(3)\"=hex(3):00\r\n"
      "\"Short\"=dword:2\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\SECOND]";
  Hive expected;
  HiveKey& hand = expected.CreateKey("Software\\Hand");
  hand.SetValue("Short", kRegDword, DwordBytes(2));
  hand.SetValue("Upper", kRegDword, DwordBytes(0xABCD));
  hand.SetValue("Spaced", kRegSz, StringBytes("text"));
  hand.SetValue("", kRegSz, StringBytes("the default"));
  hand.SetValue("Bytes", kRegBinary, "\x01\x02\xFF");
  hand.SetValue("Wrapped", kRegMultiSz, std::string("a\0", 2));
  hand.SetValue("Binary as hex(3)", kRegBinary, std::string(1, '\0'));
  expected.CreateKey("Software\\SECOND");
  // The header's spelling of HKEY_LOCAL_MACHINE is not kept; the root's is.
  EXPECT_EQ(ParseRegedit4(text), expected);
}

TEST(Regedit4Import, HeaderAloneIsAnEmptyHive) {
  EXPECT_EQ(ParseRegedit4("REGEDIT4"), Hive());
  EXPECT_EQ(ParseRegedit4("REGEDIT4\r\n\r\n"), Hive());
}

struct Broken {
  const char* label;
  std::string text;
  std::string error;  // what() after "registry.reg:"
};

TEST(Regedit4Import, DamagedFilesNameTheLineAndTheFault) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\K]\n";
  const std::vector<Broken> cases = {
      {"empty file", "", "1: missing REGEDIT4 or version 5 header"},
      {"other header", "Windows Registry Editor Version 4.00\n",
       "1: missing REGEDIT4 or version 5 header"},
      {"header later", "\nREGEDIT4\n", "1: missing REGEDIT4 or version 5 header"},
      {"UTF-16 header later", Utf16("\nREGEDIT4\n"), "1: missing REGEDIT4 or version 5 header"},
      {"UTF-16 cut in a character", Utf16("REGEDIT4\n") + "x",
       "2: UTF-16LE text ends in half a character"},
      {"UTF-16 beyond Latin-1", Utf16(Version5("[HKEY_LOCAL_MACHINE\\K]\n")) + "\x01\x01",
       "4: character U+0101 outside Latin-1"},
      {"version 5 string of odd length", Version5(key + "\"A\"=hex(2):61\n"),
       "4: string data of an odd number of bytes in a version 5 file"},
      {"version 5 string beyond Latin-1", Version5(key + "\"A\"=hex(7):61,00,\\\n  00,01\n"),
       "5: string data with a character outside Latin-1"},
      {"value before any key", Header("\"A\"=dword:00000001\n"), "3: value line outside of a key"},
      {"default before any key", Header("; note\n@=\"x\"\n"), "4: value line outside of a key"},
      {"other root", Header("[HKEY_CURRENT_USER\\Software]\n"),
       "3: key is not under HKEY_LOCAL_MACHINE"},
      {"root name prefix only", Header("[HKEY_LOCAL_MACHINEX]\n"),
       "3: key is not under HKEY_LOCAL_MACHINE"},
      {"empty brackets", Header("[]\n"), "3: key is not under HKEY_LOCAL_MACHINE"},
      {"key deletion", Header("[-HKEY_LOCAL_MACHINE\\K]\n"), "3: deleting keys is not supported"},
      {"unclosed key", Header("[HKEY_LOCAL_MACHINE\\K\n"), "3: key line without a closing ']'"},
      {"empty component", Header("[HKEY_LOCAL_MACHINE\\A\\\\B]\n"),
       "3: empty key name in the path"},
      {"long component", Header("[HKEY_LOCAL_MACHINE\\" + std::string(256, 'x') + "]\n"),
       "3: key name longer than 255 characters or path too deep"},
      {"garbage line", Header(key + "\"A\"=dword:1\nrubbish\n"), "5: unrecognised line"},
      {"unterminated name", Header(key + "\"A=dword:1\n"), "4: unterminated value name"},
      {"missing equals", Header(key + "\"A\" dword:1\n"), "4: expected '=' after the value name"},
      {"unterminated string", Header(key + "\"A\"=\"abc\n"), "4: unterminated string"},
      {"string ends in backslash", Header(key + "\"A\"=\"abc\\\"\n"), "4: unterminated string"},
      {"unknown escape", Header(key + "\"A\"=\"C:\\WINNT\"\n"),
       "4: unknown escape in a quoted string (only \\\\ and \\\")"},
      {"text after string", Header(key + "\"A\"=\"x\" y\n"), "4: unexpected text after the string"},
      {"dword too long", Header(key + "\"A\"=dword:000000001\n"),
       "4: bad dword value (1 to 8 hex digits expected)"},
      {"dword not hex", Header(key + "\"A\"=dword:0000000g\n"),
       "4: bad dword value (1 to 8 hex digits expected)"},
      {"dword empty", Header(key + "\"A\"=dword:\n"),
       "4: bad dword value (1 to 8 hex digits expected)"},
      {"bad hex byte", Header(key + "\"A\"=hex:01,zz\n"), "4: bad hex byte 'zz'"},
      {"three digit byte", Header(key + "\"A\"=hex:123\n"), "4: bad hex byte '123'"},
      {"bytes without comma", Header(key + "\"A\"=hex:01 02\n"),
       "4: expected ',' between hex bytes"},
      {"leading comma", Header(key + "\"A\"=hex:,01\n"), "4: missing hex byte before ','"},
      {"double comma", Header(key + "\"A\"=hex:01,,02\n"), "4: missing hex byte before ','"},
      {"trailing comma", Header(key + "\"A\"=hex:01,02,\n"), "4: hex data ends with ','"},
      {"bad byte on a continuation line", Header(key + "\"A\"=hex:01,\\\n  02,\\\n  0x\n"),
       "6: bad hex byte '0x'"},
      {"continuation without comma", Header(key + "\"A\"=hex:01\\\n  02\n"),
       "5: expected ',' between hex bytes"},
      {"continuation past the end", Header(key + "\"A\"=hex:01,\\"),
       "4: hex data continues past the end of the file"},
      {"dangling comma after continuation", Header(key + "\"A\"=hex:01,\\\n\n"),
       "5: hex data ends with ','"},
      {"bad type", Header(key + "\"A\"=hex(q):01\n"), "4: bad value type in hex(...)"},
      {"type too large", Header(key + "\"A\"=hex(100000000):01\n"),
       "4: bad value type in hex(...)"},
      {"type without colon", Header(key + "\"A\"=hex(2)01\n"), "4: bad value type in hex(...)"},
      {"value deletion", Header(key + "\"A\"=-\n"), "4: deleting values is not supported"},
      {"bare number", Header(key + "\"A\"=1\n"), "4: unrecognised value data"},
      {"error after CRLF lines", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=x\r\n",
       "4: unrecognised value data"},
  };
  for (const Broken& c : cases) {
    SCOPED_TRACE(c.label);
    try {
      Hive hive = ParseRegedit4(c.text);
      ADD_FAILURE() << "parsed:\n" << ExportRegedit4(hive);
    } catch (const RegistryFileError& error) {
      EXPECT_EQ(error.what(), "registry.reg:" + c.error);
      EXPECT_EQ(error.line(), std::stoi(c.error));
    }
  }
}

TEST(Regedit4Import, ErrorsNameTheGivenFile) {
  try {
    ParseRegedit4("REGEDIT4\n\nbad\n", "machines/w2k/registry.reg");
    FAIL() << "a bad line was accepted";
  } catch (const RegistryFileError& error) {
    EXPECT_STREQ(error.what(), "machines/w2k/registry.reg:3: unrecognised line");
  }
}

// The fuzzer's seeds are meant to be valid files; keep them so.
TEST(Regedit4Import, FuzzSeedsParseAndRoundTrip) {
  const std::filesystem::path seeds =
      std::filesystem::path(TUNORA_SOURCE_DIR) / "tests/fuzz/corpus/fuzz_regedit4";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Hive hive;
    ASSERT_NO_THROW(hive = ParseRegedit4(text.str(), entry.path().filename().string()));
    EXPECT_NE(hive, Hive());
    EXPECT_EQ(ParseRegedit4(ExportRegedit4(hive)), hive);
    ++count;
  }
  EXPECT_GE(count, 3);
}

}  // namespace
}  // namespace tunora::sim
