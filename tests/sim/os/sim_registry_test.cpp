#include "sim/os/sim_registry.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "sim/os/regedit4.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

Hive ExampleHive() {
  Hive hive;
  hive.SetString("Software\\Example", "Text", "hello");
  hive.SetDword("Software\\Example", "Number", 42);
  hive.CreateKey("Software\\Example\\Child");
  return hive;
}

std::int32_t SetDword(SimRegistry& registry, RegKey key, std::string_view name,
                      std::uint32_t number) {
  std::string bytes = DwordBytes(number);
  return registry.SetValue(key, name, kRegDword,
                           reinterpret_cast<const std::uint8_t*>(bytes.data()), 4);
}

class SimRegistryTest : public ::testing::Test {
 protected:
  RegKey Open(std::string_view path, std::uint32_t access = kKeyAllAccess) {
    RegKey key = 0;
    EXPECT_EQ(registry_.OpenKey(kHkeyLocalMachine, path, access, &key), kErrorSuccess) << path;
    return key;
  }

  SimRegistry registry_{ExampleHive(), /*administrator=*/true};
};

TEST_F(SimRegistryTest, HandlesAreDistinctNonZeroAndNotPredefined) {
  std::set<RegKey> seen;
  for (int i = 0; i < 20; ++i) {
    RegKey key = Open("Software\\Example");
    EXPECT_NE(key, 0u);
    EXPECT_LT(key, 0x80000000u);
    EXPECT_TRUE(seen.insert(key).second) << "handle " << key << " given twice";
  }
  EXPECT_EQ(registry_.open_handle_count(), seen.size());
  for (RegKey key : seen) EXPECT_EQ(registry_.CloseKey(key), kErrorSuccess);
  EXPECT_EQ(registry_.open_handle_count(), 0u);
  EXPECT_EQ(registry_.CloseKey(*seen.begin()), kErrorInvalidHandle);
  EXPECT_EQ(registry_.CloseKey(kHkeyLocalMachine), kErrorSuccess);
}

TEST_F(SimRegistryTest, InvalidHandlesFailEveryCall) {
  RegKey closed = Open("Software");
  ASSERT_EQ(registry_.CloseKey(closed), kErrorSuccess);
  for (RegKey bad : {RegKey{0}, closed, RegKey{0x12345678}, RegKey{0x80000001}}) {
    SCOPED_TRACE(bad);
    RegKey out = 0;
    std::string name, data;
    std::uint32_t type = 0, size = 0;
    EXPECT_EQ(registry_.OpenKey(bad, "", kKeyRead, &out), kErrorInvalidHandle);
    EXPECT_EQ(registry_.CreateKey(bad, "X", kKeyRead, &out), kErrorInvalidHandle);
    EXPECT_EQ(registry_.EnumKey(bad, 0, &name), kErrorInvalidHandle);
    EXPECT_EQ(registry_.EnumValue(bad, 0, &name, &type, &data), kErrorInvalidHandle);
    EXPECT_EQ(registry_.QueryValue(bad, "Text", &type, nullptr, &size), kErrorInvalidHandle);
    EXPECT_EQ(SetDword(registry_, bad, "V", 1), kErrorInvalidHandle);
    EXPECT_EQ(registry_.DeleteValue(bad, "V"), kErrorInvalidHandle);
    EXPECT_EQ(registry_.DeleteKey(bad, "X"), kErrorInvalidHandle);
    EXPECT_EQ(registry_.CloseKey(bad), kErrorInvalidHandle);
  }
}

TEST_F(SimRegistryTest, OpenResolvesPathsAsWindowsDoes) {
  struct Case {
    std::string path;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"Software\\Example", kErrorSuccess},
      {"SOFTWARE\\example\\CHILD", kErrorSuccess},
      {"Software\\Example\\", kErrorSuccess},
      {"", kErrorSuccess},
      {"Software\\Missing", kErrorFileNotFound},
      {"Software\\Example\\Child\\Deeper", kErrorFileNotFound},
      {"\\Software", kErrorBadPathname},
      {"Software\\\\Example", kErrorBadPathname},
      {"Software\\" + std::string(256, 'x'), kErrorInvalidParameter},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    RegKey key = 0xDEAD;
    EXPECT_EQ(registry_.OpenKey(kHkeyLocalMachine, c.path, kKeyRead, &key), c.expected);
    if (c.expected == kErrorSuccess) {
      EXPECT_EQ(registry_.CloseKey(key), kErrorSuccess);
    } else {
      EXPECT_EQ(key, 0u);
    }
  }
  EXPECT_EQ(registry_.OpenKey(kHkeyLocalMachine, "Software", kKeyRead, nullptr),
            kErrorInvalidParameter);
}

TEST_F(SimRegistryTest, OpenIsRelativeToTheParentHandle) {
  RegKey software = Open("Software");
  RegKey example = 0;
  ASSERT_EQ(registry_.OpenKey(software, "example", kKeyRead, &example), kErrorSuccess);
  std::string name;
  ASSERT_EQ(registry_.EnumKey(example, 0, &name), kErrorSuccess);
  EXPECT_EQ(name, "Child");
}

TEST_F(SimRegistryTest, CreateMakesEveryMissingComponentAndOpensExistingKeys) {
  RegKey key = 0;
  const std::uint64_t saves_before = registry_.save_count();
  ASSERT_EQ(registry_.CreateKey(kHkeyLocalMachine, "software\\New\\Deeper\\", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(SetDword(registry_, key, "V", 5), kErrorSuccess);
  ASSERT_NE(registry_.hive().FindKey("Software\\New\\Deeper"), nullptr);
  EXPECT_EQ(registry_.hive().FindKey("software")->name(), "Software");
  EXPECT_EQ(registry_.hive().FindValue("Software\\New\\Deeper", "V")->data, DwordBytes(5));

  RegKey again = 0;
  ASSERT_EQ(registry_.CreateKey(kHkeyLocalMachine, "SOFTWARE\\NEW\\DEEPER", kKeyRead, &again),
            kErrorSuccess);
  EXPECT_NE(again, key);
  std::uint32_t size = 0;
  EXPECT_EQ(registry_.QueryValue(again, "v", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(registry_.hive().FindKey("Software\\New")->name(), "New");
  EXPECT_EQ(registry_.save_count(), saves_before) << "a registry without a file never saves";

  EXPECT_EQ(registry_.CreateKey(kHkeyLocalMachine, "A\\\\B", kKeyRead, &key), kErrorBadPathname);
  EXPECT_EQ(registry_.hive().FindKey("A"), nullptr) << "a bad path creates nothing";
}

// Which operations each access mask allows on a handle.
TEST_F(SimRegistryTest, EachOperationNeedsItsAccessRight) {
  struct Case {
    const char* label;
    std::uint32_t access;
    bool query, set, create, enum_keys;
  };
  const std::vector<Case> cases = {
      {"none", 0, false, false, false, false},
      {"query value", kKeyQueryValue, true, false, false, false},
      {"set value", kKeySetValue, false, true, false, false},
      {"create sub-key", kKeyCreateSubKey, false, false, true, false},
      {"enumerate sub-keys", kKeyEnumerateSubKeys, false, false, false, true},
      {"read", kKeyRead, true, false, false, true},
      {"write", kKeyWrite, false, true, true, false},
      {"all access", kKeyAllAccess, true, true, true, true},
      {"generic read", kGenericRead, true, false, false, true},
      {"maximum allowed", kMaximumAllowed, true, true, true, true},
  };
  auto expect = [](bool allowed) { return allowed ? kErrorSuccess : kErrorAccessDenied; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RegKey key = Open("Software\\Example", c.access);
    std::uint32_t type = 0, size = 0;
    std::string name, data;
    RegKey created = 0;
    EXPECT_EQ(registry_.QueryValue(key, "Text", &type, nullptr, &size), expect(c.query));
    EXPECT_EQ(registry_.EnumValue(key, 0, &name, &type, &data), expect(c.query));
    EXPECT_EQ(SetDword(registry_, key, "Number", 43), expect(c.set));
    EXPECT_EQ(registry_.DeleteValue(key, "Missing"),
              c.set ? kErrorFileNotFound : kErrorAccessDenied);
    EXPECT_EQ(registry_.CreateKey(key, std::string("New ") + c.label, kKeyRead, &created),
              expect(c.create));
    // Opening an existing sub-key needs no right on the parent.
    EXPECT_EQ(registry_.CreateKey(key, "Child", kKeyRead, &created), kErrorSuccess);
    EXPECT_EQ(registry_.EnumKey(key, 0, &name), expect(c.enum_keys));
  }
}

TEST(SimRegistryUser, NonAdministratorOpensForReadingOnly) {
  SimRegistry registry(ExampleHive(), /*administrator=*/false);
  struct Case {
    const char* label;
    std::uint32_t access;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {
      {"query value", kKeyQueryValue, kErrorSuccess},
      {"enumerate", kKeyEnumerateSubKeys, kErrorSuccess},
      {"notify", kKeyNotify, kErrorSuccess},
      {"read", kKeyRead, kErrorSuccess},
      {"generic read", kGenericRead, kErrorSuccess},
      {"nothing", 0, kErrorSuccess},
      {"set value", kKeySetValue, kErrorAccessDenied},
      {"create sub-key", kKeyCreateSubKey, kErrorAccessDenied},
      {"create link", kKeyCreateLink, kErrorAccessDenied},
      {"delete", kDelete, kErrorAccessDenied},
      {"write DAC", kWriteDac, kErrorAccessDenied},
      {"write owner", kWriteOwner, kErrorAccessDenied},
      {"write", kKeyWrite, kErrorAccessDenied},
      {"all access", kKeyAllAccess, kErrorAccessDenied},
      {"generic write", kGenericWrite, kErrorAccessDenied},
      {"read plus set", kKeyRead | kKeySetValue, kErrorAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    RegKey key = 0;
    EXPECT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Example", c.access, &key), c.expected);
    EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\Example", c.access, &key),
              c.expected)
        << "opening an existing key through CreateKey";
  }
}

TEST(SimRegistryUser, NonAdministratorCannotChangeAnything) {
  SimRegistry registry(ExampleHive(), /*administrator=*/false);
  const Hive before = registry.hive();
  RegKey key = 0;
  EXPECT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\New", kKeyRead, &key),
            kErrorAccessDenied);
  EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "V", 1), kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteKey(kHkeyLocalMachine, "Software\\Example\\Child"), kErrorAccessDenied);

  ASSERT_EQ(registry.OpenKey(kHkeyLocalMachine, "Software\\Example", kMaximumAllowed, &key),
            kErrorSuccess);
  EXPECT_EQ(SetDword(registry, key, "Number", 1), kErrorAccessDenied);
  EXPECT_EQ(registry.DeleteValue(key, "Number"), kErrorAccessDenied);
  std::uint32_t size = 0;
  EXPECT_EQ(registry.QueryValue(key, "Number", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(registry.hive(), before);
}

TEST_F(SimRegistryTest, QueryValueFollowsTheBufferRules) {
  registry_.hive().SetValue("Software\\Example", "Six", kRegBinary, "ABCDEF");
  registry_.hive().SetValue("Software\\Example", "Empty", kRegBinary, "");
  RegKey key = Open("Software\\Example", kKeyQueryValue);
  struct Case {
    const char* label;
    const char* name;
    bool with_data;
    bool with_size;
    std::uint32_t buffer_size;
    std::int32_t expected;
    std::uint32_t size_after;
    std::string buffer_after;  // of an 8-byte buffer filled with '.'
  };
  const std::vector<Case> cases = {
      {"fits exactly", "Six", true, true, 6, kErrorSuccess, 6, "ABCDEF.."},
      {"larger buffer", "Six", true, true, 8, kErrorSuccess, 6, "ABCDEF.."},
      {"one byte short", "Six", true, true, 5, kErrorMoreData, 6, "........"},
      {"zero buffer", "Six", true, true, 0, kErrorMoreData, 6, "........"},
      {"size only", "Six", false, true, 0, kErrorSuccess, 6, "........"},
      {"size only, any size in", "Six", false, true, 99, kErrorSuccess, 6, "........"},
      {"existence only", "Six", false, false, 0, kErrorSuccess, 0, "........"},
      {"data without size", "Six", true, false, 0, kErrorInvalidParameter, 0, "........"},
      {"empty value", "Empty", true, true, 8, kErrorSuccess, 0, "........"},
      {"name case ignored", "sIX", true, true, 8, kErrorSuccess, 6, "ABCDEF.."},
      {"missing value", "Nope", true, true, 8, kErrorFileNotFound, 8, "........"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::string buffer(8, '.');
    std::uint32_t size = c.buffer_size;
    std::uint32_t type = 0xFFFF;
    std::int32_t result = registry_.QueryValue(
        key, c.name, &type, c.with_data ? reinterpret_cast<std::uint8_t*>(buffer.data()) : nullptr,
        c.with_size ? &size : nullptr);
    EXPECT_EQ(result, c.expected);
    if (c.with_size) {
      EXPECT_EQ(size, c.size_after);
    }
    EXPECT_EQ(buffer, c.buffer_after);
    if (result == kErrorSuccess || result == kErrorMoreData) {
      EXPECT_EQ(type, kRegBinary);
    }
  }
}

TEST_F(SimRegistryTest, SetValueStoresExactlyTheGivenBytes) {
  RegKey key = Open("Software\\Example");
  const std::uint8_t bytes[] = {'a', 0, 'b', 0, 0, 0xFF};
  EXPECT_EQ(registry_.SetValue(key, "Odd", kRegSz, bytes, sizeof bytes), kErrorSuccess);
  EXPECT_EQ(registry_.SetValue(key, "Nothing", kRegBinary, nullptr, 0), kErrorSuccess);
  EXPECT_EQ(registry_.SetValue(key, "Prefix", kRegSz, bytes, 1), kErrorSuccess);
  EXPECT_EQ(registry_.SetValue(key, "Null", kRegBinary, nullptr, 3), kErrorInvalidParameter);
  EXPECT_EQ(registry_.SetValue(key, "Line\nFeed", kRegBinary, bytes, 1), kErrorInvalidParameter);
  EXPECT_EQ(SetDword(registry_, key, "NUMBER", 7), kErrorSuccess);

  const HiveKey& stored = *registry_.hive().FindKey("Software\\Example");
  EXPECT_EQ(*stored.FindValue("Odd"), (HiveValue{"Odd", kRegSz, std::string("a\0b\0\0\xFF", 6)}));
  EXPECT_EQ(*stored.FindValue("Nothing"), (HiveValue{"Nothing", kRegBinary, ""}));
  EXPECT_EQ(*stored.FindValue("Prefix"), (HiveValue{"Prefix", kRegSz, "a"}));
  EXPECT_EQ(*stored.FindValue("Number"), (HiveValue{"Number", kRegDword, DwordBytes(7)}));
  EXPECT_EQ(stored.FindValue("Null"), nullptr);
}

TEST_F(SimRegistryTest, EnumKeyGivesSortedNamesAndHonoursTheBuffer) {
  for (const char* name : {"Zulu", "alpha", "Bravo12"})
    registry_.hive().CreateKey(std::string("Enum\\") + name);
  RegKey key = Open("Enum", kKeyEnumerateSubKeys);
  std::vector<std::string> names;
  std::string name;
  std::uint32_t index = 0;
  for (; registry_.EnumKey(key, index, &name) == kErrorSuccess; ++index) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Bravo12", "Zulu"}));
  EXPECT_EQ(registry_.EnumKey(key, index, &name), kErrorNoMoreItems);
  EXPECT_EQ(registry_.EnumKey(key, 1000, &name), kErrorNoMoreItems);

  struct Case {
    std::uint32_t buffer_chars;
    std::int32_t expected;
  };
  // "Bravo12" has 7 characters and needs 8 with its terminating zero.
  for (const Case& c : {Case{8, kErrorSuccess}, Case{7, kErrorMoreData}, Case{1, kErrorMoreData},
                        Case{0, kErrorMoreData}, Case{260, kErrorSuccess}}) {
    SCOPED_TRACE(c.buffer_chars);
    name = "untouched";
    EXPECT_EQ(registry_.EnumKey(key, 1, &name, c.buffer_chars), c.expected);
    EXPECT_EQ(name, c.expected == kErrorSuccess ? "Bravo12" : "untouched");
  }
}

TEST_F(SimRegistryTest, EnumValueGivesValuesInCreationOrder) {
  RegKey key = Open("Software\\Example");
  ASSERT_EQ(SetDword(registry_, key, "Added", 9), kErrorSuccess);
  std::vector<HiveValue> seen;
  HiveValue value;
  std::uint32_t index = 0;
  while (registry_.EnumValue(key, index, &value.name, &value.type, &value.data) == kErrorSuccess) {
    seen.push_back(value);
    ++index;
  }
  EXPECT_EQ(seen, (std::vector<HiveValue>{{"Text", kRegSz, StringBytes("hello")},
                                          {"Number", kRegDword, DwordBytes(42)},
                                          {"Added", kRegDword, DwordBytes(9)}}));
  EXPECT_EQ(registry_.EnumValue(key, index, &value.name, nullptr, nullptr), kErrorNoMoreItems);
  EXPECT_EQ(registry_.EnumValue(key, 0, &value.name, nullptr, nullptr), kErrorSuccess);
  EXPECT_EQ(registry_.EnumValue(key, 0, nullptr, nullptr, nullptr), kErrorInvalidParameter);
}

TEST_F(SimRegistryTest, DeleteValueRemovesOnlyThatValue) {
  RegKey key = Open("Software\\Example");
  EXPECT_EQ(registry_.DeleteValue(key, "TEXT"), kErrorSuccess);
  EXPECT_EQ(registry_.DeleteValue(key, "Text"), kErrorFileNotFound);
  std::uint32_t size = 0;
  EXPECT_EQ(registry_.QueryValue(key, "Text", nullptr, nullptr, &size), kErrorFileNotFound);
  EXPECT_EQ(registry_.QueryValue(key, "Number", nullptr, nullptr, &size), kErrorSuccess);
}

TEST_F(SimRegistryTest, DeleteKeyRefusesKeysWithSubKeys) {
  EXPECT_EQ(registry_.DeleteKey(kHkeyLocalMachine, "Software\\Example"), kErrorAccessDenied);
  EXPECT_EQ(registry_.DeleteKey(kHkeyLocalMachine, "Software\\Missing"), kErrorFileNotFound);
  EXPECT_EQ(registry_.DeleteKey(kHkeyLocalMachine, ""), kErrorAccessDenied);
  RegKey example = Open("Software\\Example");
  EXPECT_EQ(registry_.DeleteKey(example, "CHILD"), kErrorSuccess);
  EXPECT_EQ(registry_.hive().FindKey("Software\\Example\\Child"), nullptr);
  EXPECT_EQ(registry_.DeleteKey(kHkeyLocalMachine, "Software\\Example"), kErrorSuccess);
  EXPECT_EQ(registry_.hive().FindKey("Software\\Example"), nullptr);
  EXPECT_NE(registry_.hive().FindKey("Software"), nullptr);
}

TEST_F(SimRegistryTest, HandlesToADeletedKeyReportKeyDeleted) {
  RegKey child = Open("Software\\Example\\Child");
  RegKey other = Open("Software\\Example\\Child", kKeyRead);
  ASSERT_EQ(registry_.DeleteKey(kHkeyLocalMachine, "Software\\Example\\Child"), kErrorSuccess);

  RegKey out = 0;
  std::string name, data;
  std::uint32_t type = 0, size = 0;
  EXPECT_EQ(registry_.QueryValue(other, "V", &type, nullptr, &size), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumKey(other, 0, &name), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumValue(other, 0, &name, &type, &data), kErrorKeyDeleted);
  EXPECT_EQ(SetDword(registry_, child, "V", 1), kErrorKeyDeleted);
  EXPECT_EQ(registry_.DeleteValue(child, "V"), kErrorKeyDeleted);
  EXPECT_EQ(registry_.OpenKey(child, "", kKeyRead, &out), kErrorKeyDeleted);
  EXPECT_EQ(registry_.CreateKey(child, "Sub", kKeyAllAccess, &out), kErrorKeyDeleted);
  EXPECT_EQ(registry_.DeleteKey(child, ""), kErrorKeyDeleted);

  // A new key of the same name is another key: the old handles stay dead.
  ASSERT_EQ(registry_.CreateKey(kHkeyLocalMachine, "Software\\Example\\Child", kKeyRead, &out),
            kErrorSuccess);
  EXPECT_EQ(registry_.EnumKey(other, 0, &name), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumKey(out, 0, &name), kErrorNoMoreItems);
  EXPECT_EQ(registry_.CloseKey(child), kErrorSuccess);
  EXPECT_EQ(registry_.CloseKey(other), kErrorSuccess);
}

TEST_F(SimRegistryTest, KeysRemovedFromTheHiveDirectlyAlsoEndTheirHandles) {
  RegKey example = Open("Software\\Example");
  RegKey child = Open("Software\\Example\\Child");
  RegKey software = Open("Software");
  registry_.hive().RemoveKey("Software\\Example");
  std::string name;
  EXPECT_EQ(registry_.EnumKey(example, 0, &name), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumKey(child, 0, &name), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumKey(software, 0, &name), kErrorNoMoreItems);

  registry_.hive() = ExampleHive();  // as a reload of the file would
  EXPECT_EQ(registry_.EnumKey(software, 0, &name), kErrorKeyDeleted);
  EXPECT_EQ(registry_.EnumKey(kHkeyLocalMachine, 0, &name), kErrorSuccess);
  EXPECT_EQ(name, "Software");
}

TEST_F(SimRegistryTest, DeletingAKeyThroughItsOwnHandle) {
  RegKey child = Open("Software\\Example\\Child");
  EXPECT_EQ(registry_.DeleteKey(child, ""), kErrorSuccess);
  EXPECT_EQ(registry_.hive().FindKey("Software\\Example\\Child"), nullptr);
}

}  // namespace
}  // namespace tunora::sim
