#include "sim/os/regedit4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"

namespace tunora::sim {
namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int byte : bytes) out += static_cast<char>(byte);
  return out;
}

std::string Ramp(std::size_t count) {
  std::string out;
  for (std::size_t i = 0; i < count; ++i) out += static_cast<char>(i & 0xFF);
  return out;
}

TEST(Regedit4Export, WritesEachTypeInItsRegeditForm) {
  Hive hive;
  HiveKey& key = hive.CreateKey("Software\\Example");
  key.SetValue("", kRegSz, StringBytes("default"));
  key.SetValue("Path", kRegSz, StringBytes("C:\\WINNT\\\"quoted\""));
  key.SetValue("Number", kRegDword, DwordBytes(0xABCD));
  key.SetValue("Bytes", kRegBinary, Bytes({0x01, 0x02, 0xFF}));
  key.SetValue("Empty", kRegBinary, "");
  key.SetValue("Multi", kRegMultiSz, Bytes({'a', 0, 0}));
  key.SetValue("Big type", 0x100000, Bytes({0x10}));
  key.SetValue("None", kRegNone, "");

  EXPECT_EQ(ExportRegedit4(hive, "Software\\Example"),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Example]\n"
            "@=\"default\"\n"
            "\"Path\"=\"C:\\\\WINNT\\\\\\\"quoted\\\"\"\n"
            "\"Number\"=dword:0000abcd\n"
            "\"Bytes\"=hex:01,02,ff\n"
            "\"Empty\"=hex:\n"
            "\"Multi\"=hex(7):61,00,00\n"
            "\"Big type\"=hex(100000):10\n"
            "\"None\"=hex(0):\n"
            "\n");
}

TEST(Regedit4Export, StringAndDwordDataThatTheirFormsCannotCarryFallBackToHex) {
  struct Case {
    const char* label;
    std::uint32_t type;
    std::string data;
    std::string expected_line;
  };
  const std::vector<Case> cases = {
      {"no terminating zero", kRegSz, "ab", "\"V\"=hex(1):61,62"},
      {"empty data", kRegSz, "", "\"V\"=hex(1):"},
      {"two terminating zeros", kRegSz, Bytes({'a', 0, 0}), "\"V\"=hex(1):61,00,00"},
      {"zero inside", kRegSz, Bytes({'a', 0, 'b', 0}), "\"V\"=hex(1):61,00,62,00"},
      {"line feed inside", kRegSz, Bytes({'a', '\n', 0}), "\"V\"=hex(1):61,0a,00"},
      {"carriage return inside", kRegSz, Bytes({'\r', 0}), "\"V\"=hex(1):0d,00"},
      {"short dword", kRegDword, Bytes({1, 2}), "\"V\"=hex(4):01,02"},
      {"long dword", kRegDword, Bytes({1, 2, 3, 4, 5}), "\"V\"=hex(4):01,02,03,04,05"},
      {"tab and high bytes stay quoted", kRegSz, Bytes({'\t', 0xE9, 0}),
       "\"V\"=\"" + Bytes({'\t', 0xE9}) + "\""},
      {"only the zero", kRegSz, Bytes({0}), "\"V\"=\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Hive hive;
    hive.SetValue("K", "V", c.type, c.data);
    EXPECT_EQ(ExportRegedit4(hive, "K"),
              "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n" + c.expected_line + "\n\n");
    Hive again = ParseRegedit4(ExportRegedit4(hive));
    EXPECT_EQ(again, hive);
  }
}

TEST(Regedit4Export, WrapsLongHexDataAsRegeditDoes) {
  Hive hive;
  hive.SetValue("K", "DeviceDesc", kRegExpandSz, Ramp(50));
  // The first line takes 19 bytes after the 20-character prefix, every
  // continuation 25: each full line is 77 characters plus the backslash.
  EXPECT_EQ(ExportRegedit4(hive, "K"),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n"
            "\"DeviceDesc\"=hex(2):00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,\\\n"
            "  13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,\\\n"
            "  2c,2d,2e,2f,30,31\n\n");
}

TEST(Regedit4Export, KeysComeSortedParentsFirstEmptyOnesIncluded) {
  Hive hive;
  hive.CreateKey("B\\Child");
  hive.CreateKey("a");
  hive.CreateKey("_under");
  hive.SetDword("B", "X", 1);
  EXPECT_EQ(ExportRegedit4(hive),
            "REGEDIT4\n\n"
            "[HKEY_LOCAL_MACHINE]\n\n"
            "[HKEY_LOCAL_MACHINE\\a]\n\n"
            "[HKEY_LOCAL_MACHINE\\B]\n\"X\"=dword:00000001\n\n"
            "[HKEY_LOCAL_MACHINE\\B\\Child]\n\n"
            "[HKEY_LOCAL_MACHINE\\_under]\n\n");
}

TEST(Regedit4Export, SubtreeUsesTheStoredCaseAndMissingKeysGiveTheHeaderAlone) {
  Hive hive;
  hive.CreateKey("Software\\MixedCase\\Sub");
  EXPECT_EQ(ExportRegedit4(hive, "SOFTWARE\\mixedcase\\"),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\MixedCase]\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\MixedCase\\Sub]\n\n");
  EXPECT_EQ(ExportRegedit4(hive, "Software\\Missing"), "REGEDIT4\n\n");
  EXPECT_THROW(ExportRegedit4(hive, "\\Software"), std::invalid_argument);
}

// The file as text: version 5's UTF-16LE narrowed (every character of
// these tests is below 0x100).
std::string FileText(const std::string& file, RegFileForm form) {
  if (form == RegFileForm::kRegedit4) return file;
  EXPECT_EQ(file.substr(0, 2), "\xFF\xFE");
  std::string text;
  for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
    EXPECT_EQ(file[i + 1], '\0');
    text += file[i];
  }
  return text;
}

TEST(RegFileExport, EachWindowsGenerationWritesItsOwnForm) {
  Hive hive;
  hive.SetString("K", "Text", "C:\\x");
  hive.SetDword("K", "N", 5);
  hive.SetValue("K", "E", kRegExpandSz, Bytes({'%', 'A', '%', 0}));
  hive.SetValue("K", "B", kRegBinary, Bytes({0xAB, 0}));
  const std::string body =
      "[HKEY_LOCAL_MACHINE\\K]\r\n\"Text\"=\"C:\\\\x\"\r\n\"N\"=dword:00000005\r\n";
  EXPECT_EQ(ExportRegFile(hive, "K", RegFileForm::kRegedit4),
            "REGEDIT4\r\n\r\n" + body + "\"E\"=hex(2):25,41,25,00\r\n\"B\"=hex:ab,00\r\n\r\n");
  // The string type's data become UTF-16LE, the binary value's do not.
  EXPECT_EQ(FileText(ExportRegFile(hive, "K", RegFileForm::kVersion5), RegFileForm::kVersion5),
            "Windows Registry Editor Version 5.00\r\n\r\n" + body +
                "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n\"B\"=hex:ab,00\r\n\r\n");
}

// Whatever the name and data lengths, no line passes column 80, and a line
// broken with "\" continues on an indented one.
TEST(RegFileExport, HexDataWrapsBeforeColumn80InBothForms) {
  Hive hive;
  for (std::size_t length = 0; length < 120; length += 5) {
    const std::string name(length % 31, 'n');
    hive.SetValue("K", name + "b" + std::to_string(length), kRegBinary, Ramp(length));
    hive.SetValue("K", name + "m" + std::to_string(length), kRegMultiSz, Ramp(length));
  }
  for (RegFileForm form : {RegFileForm::kRegedit4, RegFileForm::kVersion5}) {
    SCOPED_TRACE(form == RegFileForm::kVersion5 ? "version 5" : "REGEDIT4");
    const std::string file = ExportRegFile(hive, "K", form);
    const std::string text = FileText(file, form);
    std::size_t start = 0;
    int wrapped = 0;
    bool continues = false;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      const std::string line = text.substr(start, end - start);
      EXPECT_LE(line.size(), 80u) << line;
      if (continues) {
        EXPECT_EQ(line.substr(0, 2), "  ") << line;
      }
      continues = !line.empty() && line.back() == '\\';
      wrapped += continues ? 1 : 0;
    }
    EXPECT_EQ(start, text.size()) << "every line ends in CRLF";
    EXPECT_GT(wrapped, 50);
    EXPECT_EQ(ParseRegedit4(file), hive);
  }
}

}  // namespace
}  // namespace tunora::sim
