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

}  // namespace
}  // namespace tunora::sim
