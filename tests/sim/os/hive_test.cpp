#include "sim/os/hive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry.h"

namespace tunora::sim {
namespace {

std::vector<std::string> SubKeyNames(const HiveKey& key) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < key.SubKeyCount(); ++i) names.push_back(key.SubKey(i).name());
  return names;
}

std::vector<std::string> ValueNames(const HiveKey& key) {
  std::vector<std::string> names;
  for (const HiveValue& value : key.values()) names.push_back(value.name);
  return names;
}

int Sign(int number) { return (number > 0) - (number < 0); }

TEST(HiveNames, CompareFoldsAsciiToUpperCase) {
  struct Case {
    std::string a, b;
    int expected;
  };
  const std::vector<Case> cases = {
      {"Software", "SOFTWARE", 0},
      {"abc", "abd", -1},
      {"ab", "a", 1},
      {"", "", 0},
      // Upper-case folding, as NT: letters sort before "_" ('A' < '_' < 'a').
      {"a", "_", -1},
      {"Z", "[", -1},
      // Only ASCII letters fold.
      {"\xE9", "\xC9", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a + " vs " + c.b);
    EXPECT_EQ(Sign(CompareNames(c.a, c.b)), c.expected);
    EXPECT_EQ(Sign(CompareNames(c.b, c.a)), -c.expected);
  }
}

TEST(HiveNames, SplitKeyPathFollowsTheRegistryRules) {
  struct Case {
    std::string path;
    std::int32_t error;
    std::vector<std::string> parts;
  };
  const std::string longest(255, 'k');
  std::string deepest;
  for (std::size_t i = 0; i < kMaxKeyDepth; ++i) deepest += (i == 0 ? "d" : "\\d");
  const std::vector<Case> cases = {
      {"", kErrorSuccess, {}},
      {"Software", kErrorSuccess, {"Software"}},
      {"Software\\Example", kErrorSuccess, {"Software", "Example"}},
      {"Software\\", kErrorSuccess, {"Software"}},
      {"Software\\\\", kErrorBadPathname, {}},
      {"\\Software", kErrorBadPathname, {}},
      {"\\", kErrorBadPathname, {}},
      {"A\\\\B", kErrorBadPathname, {}},
      {longest, kErrorSuccess, {longest}},
      {longest + "k", kErrorInvalidParameter, {}},
      {"Line\nFeed", kErrorInvalidParameter, {}},
      {" spaced [name] ", kErrorSuccess, {" spaced [name] "}},
      {deepest + "\\d", kErrorInvalidParameter, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("path \"" + c.path.substr(0, 40) + "\"");
    std::vector<std::string_view> parts;
    EXPECT_EQ(SplitKeyPath(c.path, &parts), c.error);
    if (c.error == kErrorSuccess) {
      EXPECT_EQ(std::vector<std::string>(parts.begin(), parts.end()), c.parts);
    }
  }
  std::vector<std::string_view> parts;
  EXPECT_EQ(SplitKeyPath(deepest, &parts), kErrorSuccess);
  EXPECT_EQ(parts.size(), kMaxKeyDepth);
}

TEST(HiveKeys, FindIgnoresCaseAndCreateKeepsTheFirstSpelling) {
  Hive hive;
  hive.CreateKey("Software\\MyKey");
  HiveKey& again = hive.CreateKey("SOFTWARE\\mykey\\Sub");
  EXPECT_EQ(again.name(), "Sub");
  EXPECT_EQ(SubKeyNames(hive.root()), std::vector<std::string>{"Software"});
  ASSERT_NE(hive.FindKey("software\\MYKEY"), nullptr);
  EXPECT_EQ(hive.FindKey("software\\MYKEY")->name(), "MyKey");
  EXPECT_EQ(hive.FindKey("Software\\MyKey\\"), hive.FindKey("Software\\MyKey"));
  EXPECT_EQ(hive.FindKey("Software\\Missing"), nullptr);
  EXPECT_EQ(hive.FindKey("\\Software"), nullptr);
  EXPECT_EQ(hive.FindKey(""), &hive.root());
}

TEST(HiveKeys, SubKeysEnumerateSortedWhateverTheOrderOfCreation) {
  Hive hive;
  for (const char* name : {"zeta", "Alpha", "_x", "beta", "Beta2", "a"}) {
    hive.CreateKey(std::string("K\\") + name);
  }
  EXPECT_EQ(SubKeyNames(*hive.FindKey("K")),
            (std::vector<std::string>{"a", "Alpha", "beta", "Beta2", "zeta", "_x"}));
}

TEST(HiveKeys, BadNamesAreRefused) {
  Hive hive;
  EXPECT_THROW(hive.CreateKey("A\\\\B"), std::invalid_argument);
  EXPECT_THROW(hive.root().AddSubKey("with\\backslash"), std::invalid_argument);
  EXPECT_THROW(hive.root().AddSubKey(""), std::invalid_argument);
  EXPECT_THROW(hive.root().AddSubKey(std::string(256, 'x')), std::invalid_argument);
  EXPECT_THROW(hive.root().SetValue("line\nfeed", kRegSz, ""), std::invalid_argument);
  EXPECT_EQ(hive.root().SubKeyCount(), 0u);
  EXPECT_TRUE(hive.root().values().empty());
}

TEST(HiveKeys, RemoveKeyTakesTheWholeSubtree) {
  Hive hive;
  hive.SetDword("A\\B\\C", "V", 1);
  hive.CreateKey("A\\Other");
  EXPECT_TRUE(hive.RemoveKey("a\\b"));
  EXPECT_EQ(hive.FindKey("A\\B\\C"), nullptr);
  EXPECT_EQ(SubKeyNames(*hive.FindKey("A")), std::vector<std::string>{"Other"});
  EXPECT_FALSE(hive.RemoveKey("A\\B"));
  EXPECT_FALSE(hive.RemoveKey(""));
}

TEST(HiveValues, KeepInsertionOrderAndTheFirstSpellingOnReplace) {
  Hive hive;
  HiveKey& key = hive.CreateKey("K");
  key.SetValue("Second", kRegDword, DwordBytes(2));
  key.SetValue("", kRegSz, StringBytes("default"));
  key.SetValue("First", kRegSz, StringBytes("one"));
  key.SetValue("SECOND", kRegBinary, "\x01");
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"Second", "", "First"}));
  ASSERT_NE(key.FindValue("second"), nullptr);
  EXPECT_EQ(*key.FindValue("second"), (HiveValue{"Second", kRegBinary, "\x01"}));
  EXPECT_EQ(key.FindValue("")->data, std::string("default\0", 8));

  EXPECT_TRUE(key.DeleteValue("FIRST"));
  EXPECT_FALSE(key.DeleteValue("First"));
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"Second", ""}));
}

TEST(HiveValues, DataIsKeptExactlyAsSet) {
  Hive hive;
  const std::string odd("a\0b\0\0\xFF", 6);
  hive.SetValue("K", "Odd", kRegSz, odd);
  hive.SetValue("K", "Empty", kRegDword, "");
  EXPECT_EQ(hive.FindValue("K", "Odd")->data, odd);
  EXPECT_EQ(hive.FindValue("K", "Odd")->type, kRegSz);
  EXPECT_EQ(hive.FindValue("K", "Empty")->data, "");
  EXPECT_EQ(DwordBytes(0x11223344), std::string("\x44\x33\x22\x11", 4));
  EXPECT_EQ(StringBytes("ab"), std::string("ab\0", 3));
}

TEST(HiveCopies, AreDeepAndCompareByContent) {
  Hive original;
  original.SetString("Software\\Example", "Name", "value");
  original.SetDword("Software\\Example\\Sub", "N", 7);
  Hive copy = original;
  EXPECT_EQ(copy, original);

  copy.SetDword("Software\\Example\\Sub", "N", 8);
  EXPECT_FALSE(copy == original);
  EXPECT_EQ(original.FindValue("Software\\Example\\Sub", "N")->data, DwordBytes(7));

  struct Change {
    const char* label;
    void (*apply)(Hive&);
  };
  const std::vector<Change> changes = {
      {"key name case",
       [](Hive& h) {
         h.RemoveKey("Software\\Example\\Sub");
         h.SetDword("Software\\Example\\SUB", "N", 7);
       }},
      {"value name case",
       [](Hive& h) {
         h.FindKey("Software\\Example")->DeleteValue("Name");
         h.SetString("Software\\Example", "NAME", "value");
       }},
      {"value order",
       [](Hive& h) {
         h.FindKey("Software\\Example")->DeleteValue("Name");
         h.SetString("Software\\Example", "Name", "value");
       }},
      {"value type",
       [](Hive& h) {
         h.SetValue("Software\\Example", "Name", kRegExpandSz, StringBytes("value"));
       }},
      {"value data", [](Hive& h) { h.SetString("Software\\Example", "Name", "valuE"); }},
      {"extra empty key", [](Hive& h) { h.CreateKey("Software\\Extra"); }},
  };
  original.SetDword("Software\\Example", "Later", 1);
  for (const Change& change : changes) {
    SCOPED_TRACE(change.label);
    Hive changed = original;
    ASSERT_EQ(changed, original);
    change.apply(changed);
    EXPECT_FALSE(changed == original);
  }
}

TEST(HiveCopies, MovedFromHiveIsEmptyAndUsable) {
  Hive source;
  source.SetDword("K", "V", 1);
  Hive target = std::move(source);
  EXPECT_NE(target.FindValue("K", "V"), nullptr);
  EXPECT_EQ(source, Hive());  // NOLINT(bugprone-use-after-move): documented state
  source.SetDword("K", "V", 2);
  EXPECT_EQ(source.FindValue("K", "V")->data, DwordBytes(2));
}

}  // namespace
}  // namespace tunora::sim
