#include "sim/os/hive_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "sim/os/sim_registry.h"

namespace tunora::sim {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

class HiveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "hive_file_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    directory_ = pattern;
    file_ = directory_ / "registry.reg";
  }
  void TearDown() override { fs::remove_all(directory_); }

  static Hive SmallHive() {
    Hive hive;
    hive.SetString("Software\\Example", "Text", "hello");
    return hive;
  }

  static std::int32_t SetDword(SimRegistry& registry, RegKey key, std::string_view name,
                               std::uint32_t number) {
    std::string bytes = DwordBytes(number);
    return registry.SetValue(key, name, kRegDword,
                             reinterpret_cast<const std::uint8_t*>(bytes.data()), 4);
  }

  fs::path directory_;
  fs::path file_;
};

TEST_F(HiveFileTest, SaveThenLoadGivesTheSameHive) {
  const Hive hive = SmallHive();
  SaveHiveFileAtomic(hive, file_);
  EXPECT_EQ(ReadText(file_), ExportRegedit4(hive));
  EXPECT_FALSE(fs::exists(file_.string() + ".tmp"));
  EXPECT_EQ(LoadHiveFile(file_), hive);
}

TEST_F(HiveFileTest, LeftoverTemporaryFileIsIgnoredAndReplaced) {
  SaveHiveFileAtomic(SmallHive(), file_);
  const fs::path temporary = file_.string() + ".tmp";
  WriteText(temporary, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Half writ");
  EXPECT_EQ(LoadHiveFile(file_), SmallHive());

  Hive changed = SmallHive();
  changed.SetDword("Software\\Example", "N", 1);
  SaveHiveFileAtomic(changed, file_);
  EXPECT_EQ(LoadHiveFile(file_), changed);
  EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(HiveFileTest, LoadErrorsNameTheFile) {
  try {
    LoadHiveFile(file_);
    FAIL() << "a missing file loaded";
  } catch (const RegistryFileError& error) {
    EXPECT_EQ(std::string(error.what()), file_.string() + ": cannot open the registry file");
  }
  fs::create_directory(file_);  // nothing that is not a file is read
  EXPECT_THROW(LoadHiveFile(file_), RegistryFileError);
  fs::remove(file_);
  WriteText(file_, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n\"A\"=hex:0g\r\n");
  try {
    LoadHiveFile(file_);
    FAIL() << "a damaged file loaded";
  } catch (const RegistryFileError& error) {
    EXPECT_EQ(std::string(error.what()), file_.string() + ":4: bad hex byte '0g'");
  }
  WriteText(file_, "");
  EXPECT_THROW(LoadHiveFile(file_), RegistryFileError) << "an empty file is not an empty hive";
}

TEST_F(HiveFileTest, SaveIntoAMissingDirectoryThrows) {
  EXPECT_THROW(SaveHiveFileAtomic(SmallHive(), directory_ / "missing" / "registry.reg"),
               RegistryFileError);
}

TEST_F(HiveFileTest, EveryChangeThroughTheRegistrySavesTheFile) {
  SimRegistry registry(SmallHive(), /*administrator=*/true, file_);
  RegKey key = 0;
  ASSERT_EQ(registry.CreateKey(kHkeyLocalMachine, "Software\\Example\\New", kKeyAllAccess, &key),
            kErrorSuccess);
  EXPECT_EQ(registry.save_count(), 1u);
  EXPECT_EQ(LoadHiveFile(file_), registry.hive());

  struct Step {
    const char* label;
    std::int32_t (*apply)(SimRegistry&, RegKey);
    std::int32_t expected;
    bool saves;
  };
  const std::vector<Step> steps = {
      {"set value", [](SimRegistry& r, RegKey k) { return SetDword(r, k, "N", 1); }, kErrorSuccess,
       true},
      {"delete value", [](SimRegistry& r, RegKey k) { return r.DeleteValue(k, "N"); },
       kErrorSuccess, true},
      {"delete missing value", [](SimRegistry& r, RegKey k) { return r.DeleteValue(k, "N"); },
       kErrorFileNotFound, false},
      {"open existing key",
       [](SimRegistry& r, RegKey k) {
         RegKey out = 0;
         std::int32_t result = r.CreateKey(k, "", kKeyRead, &out);
         r.CloseKey(out);
         return result;
       },
       kErrorSuccess, false},
      {"query value",
       [](SimRegistry& r, RegKey) {
         std::uint32_t size = 0;
         return r.QueryValue(kHkeyLocalMachine, "x", nullptr, nullptr, &size);
       },
       kErrorFileNotFound, false},
      {"delete key",
       [](SimRegistry& r, RegKey) {
         return r.DeleteKey(kHkeyLocalMachine, "Software\\Example\\New");
       },
       kErrorSuccess, true},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.label);
    const std::uint64_t before = registry.save_count();
    EXPECT_EQ(step.apply(registry, key), step.expected);
    EXPECT_EQ(registry.save_count(), before + (step.saves ? 1 : 0));
    EXPECT_EQ(LoadHiveFile(file_), registry.hive());
  }
}

TEST_F(HiveFileTest, SaveBatchSavesOnceWhenTheOutermostBatchEnds) {
  SimRegistry registry(SmallHive(), /*administrator=*/true, file_);
  SaveHiveFileAtomic(registry.hive(), file_);
  const std::string saved = ReadText(file_);
  {
    SimRegistry::SaveBatch outer(registry);
    for (std::uint32_t i = 0; i < 10; ++i) {
      EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "V" + std::to_string(i), i), kErrorSuccess);
    }
    {
      SimRegistry::SaveBatch inner(registry);
      EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "Inner", 1), kErrorSuccess);
    }
    EXPECT_EQ(registry.save_count(), 0u) << "inner batch ended inside the outer one";
    EXPECT_EQ(ReadText(file_), saved);
  }
  EXPECT_EQ(registry.save_count(), 1u);
  EXPECT_EQ(LoadHiveFile(file_), registry.hive());

  { SimRegistry::SaveBatch unchanged(registry); }
  EXPECT_EQ(registry.save_count(), 1u) << "a batch without changes does not save";
}

TEST_F(HiveFileTest, DirectHiveEditsSaveOnNoteChange) {
  SimRegistry registry(SmallHive(), /*administrator=*/true, file_);
  registry.hive().SetDword("Software\\Example", "Direct", 3);
  EXPECT_TRUE(registry.NoteChange());
  EXPECT_EQ(registry.save_count(), 1u);
  EXPECT_EQ(LoadHiveFile(file_), registry.hive());
}

TEST_F(HiveFileTest, UnwritableFileReportsRegistryIoFailure) {
  SimRegistry registry(SmallHive(), /*administrator=*/true, directory_ / "gone" / "registry.reg");
  EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "V", 1), kErrorRegistryIoFailed);
  EXPECT_EQ(registry.save_count(), 0u);
  EXPECT_NE(registry.hive().FindValue("", "V"), nullptr) << "the change stays in memory";

  fs::create_directory(directory_ / "gone");
  EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "W", 2), kErrorSuccess);
  EXPECT_EQ(LoadHiveFile(directory_ / "gone" / "registry.reg"), registry.hive());
}

// A group's writes succeed as Windows' do; a failed save at the group's
// end leaves them pending, and the end-of-run save reports or writes them.
TEST_F(HiveFileTest, AGroupWhoseSaveFailedStaysPendingUntilSaved) {
  const fs::path file = directory_ / "later" / "registry.reg";
  SimRegistry registry(SmallHive(), /*administrator=*/true, file);
  {
    SimRegistry::SaveBatch batch(registry);
    EXPECT_EQ(SetDword(registry, kHkeyLocalMachine, "V", 1), kErrorSuccess);
  }
  EXPECT_FALSE(registry.SavePending());
  fs::create_directory(directory_ / "later");
  EXPECT_TRUE(registry.SavePending());
  EXPECT_EQ(LoadHiveFile(file), registry.hive());
  EXPECT_NE(registry.hive().FindValue("", "V"), nullptr);
}

}  // namespace
}  // namespace tunora::sim
