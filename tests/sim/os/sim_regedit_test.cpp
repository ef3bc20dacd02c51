// regedit on the simulated PC: "/e FILE [KEY]" writes the form of the
// machine's Windows, refuses keys it cannot open and runs nothing else.
#include "sim/os/sim_regedit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sim/os/sim_files.h"
#include "tests/support/sim_harness.h"

namespace tunora::sim {
namespace {

const OsVersion kMe{kVerPlatformWin32Windows, 4, 90, 3000, " "};
const OsVersion kNt4{kVerPlatformWin32Nt, 4, 0, 1381, "Service Pack 6"};
const OsVersion k2000{kVerPlatformWin32Nt, 5, 0, 2195, "Service Pack 4"};
const OsVersion kXp{kVerPlatformWin32Nt, 5, 1, 2600, "Service Pack 1"};

constexpr const char* kChannels = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuner\\CurrentFreq";

Hive MachineHive() {
  Hive hive;
  hive.SetDword("SOFTWARE\\Tuner\\CurrentFreq", "F2", 55250);
  hive.SetString("SOFTWARE\\Tuner", "Country", "United States");
  hive.SetDword("SOFTWARE\\Other", "X", 1);
  return hive;
}

Hive ChannelsOnly() {
  Hive hive;
  hive.SetDword("SOFTWARE\\Tuner\\CurrentFreq", "F2", 55250);
  return hive;
}

struct RegeditCase {
  const char* label;
  OsVersion windows;
  std::string parameters;
  std::string outcome;
  const char* file;          // where the export lands, or nothing written
  std::optional<Hive> read;  // the file read back
  bool version5 = false;
};

TEST(SimRegedit, ExportsInTheMachinesFormAndRefusesWhatItCannotExport) {
  const std::string exported = std::string("regedit exported \"") + kChannels + "\" to ";
  const RegeditCase cases[] = {
      {"98/ME", kMe, std::string(" /e c:\\backup.reg ") + kChannels + " ",
       exported + "\"c:\\backup.reg\"", "c:\\backup.reg", ChannelsOnly()},
      {"NT 4", kNt4, std::string("/e c:\\backup.reg ") + kChannels, exported + "\"c:\\backup.reg\"",
       "c:\\backup.reg", ChannelsOnly()},
      {"2000", k2000, std::string(" /e c:\\backup.reg ") + kChannels,
       exported + "\"c:\\backup.reg\"", "c:\\backup.reg", ChannelsOnly(), true},
      {"quoted file, other case, trailing backslash", kXp,
       "-E \"c:\\my backup.reg\" hkey_local_machine\\software\\tuner\\currentfreq\\",
       "regedit exported \"hkey_local_machine\\software\\tuner\\currentfreq\\\" to "
       "\"c:\\my backup.reg\"",
       "c:\\my backup.reg", ChannelsOnly(), true},
      {"no key: everything", kMe, "/e c:\\all.reg",
       "regedit exported \"HKEY_LOCAL_MACHINE\" to \"c:\\all.reg\"", "c:\\all.reg", MachineHive()},
      {"missing key", k2000, "/e c:\\x.reg HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing",
       "regedit could not export \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Missing\": no such key", nullptr,
       std::nullopt},
      {"other root", kMe, "/e c:\\x.reg HKEY_CURRENT_USER\\SOFTWARE",
       "regedit could not export \"HKEY_CURRENT_USER\\SOFTWARE\": no such key", nullptr,
       std::nullopt},
      {"import of a missing file", kMe, "/s c:\\x.reg", "regedit could not read \"c:\\x.reg\"",
       nullptr, std::nullopt},
      {"other switch", kMe, "/c c:\\x.reg",
       "regedit did nothing: the simulated PC runs only \"regedit /e FILE [KEY]\" and \"regedit "
       "[/s] FILE\"",
       nullptr, std::nullopt},
      {"an empty quoted file", kMe, "\"\"", "regedit could not read \"\"", nullptr, std::nullopt},
      {"not on C:", kMe, std::string("/e d:\\x.reg ") + kChannels,
       "regedit could not write \"d:\\x.reg\"", nullptr, std::nullopt},
  };
  for (const RegeditCase& c : cases) {
    SCOPED_TRACE(c.label);
    testing::TempDir drive_c;
    SimFiles files(drive_c.path(), "C:\\WINDOWS");
    SimRegistry registry(MachineHive(), true);
    EXPECT_EQ(RunRegedit(c.parameters, registry, files, RegeditFormFor(c.windows)), c.outcome);
    for (const char* name : {"c:\\backup.reg", "c:\\x.reg", "c:\\all.reg", "c:\\my backup.reg"}) {
      EXPECT_EQ(files.FileExists(name), c.file != nullptr && std::string(name) == c.file) << name;
    }
    if (c.file == nullptr) continue;
    const std::string file = files.ReadFile(c.file).value_or("");
    EXPECT_EQ(file.starts_with(kUtf16LeByteOrderMark), c.version5);
    EXPECT_EQ(ParseRegedit4(file), *c.read);
  }
}

// Imports merge; only 2000/XP's regedit deletes keys and values, and a
// file that does not import changes nothing.
TEST(SimRegedit, ImportsMergeAndDeleteOnlyWhereRegeditCan) {
  const std::string deleting =
      "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\r\n\"X\"=dword:2\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tuner]\r\n\"Country\"=-\r\n\"Added\"=\"yes\"\r\n";
  Hive deleted = MachineHive();
  deleted.RemoveKey("SOFTWARE\\Other");
  deleted.root().FindSubKey("SOFTWARE")->FindSubKey("Tuner")->DeleteValue("Country");
  deleted.SetString("SOFTWARE\\Tuner", "Added", "yes");
  Hive merged = MachineHive();
  merged.SetDword("SOFTWARE\\Other", "X", 3);
  merged.SetDword("SOFTWARE\\New", "Y", 4);
  struct ImportCase {
    const char* label;
    OsVersion windows;
    std::string text;
    const char* outcome_start;
    Hive after;
  };
  const ImportCase cases[] = {
      {"2000 deletes", k2000, deleting, "regedit imported", deleted},
      {"98/ME cannot", kMe, deleting, "regedit could not import", MachineHive()},
      {"NT 4 cannot", kNt4, deleting, "regedit could not import", MachineHive()},
      {"merge", kMe,
       "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n\"X\"=dword:3\n"
       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\New]\n\"Y\"=dword:4\n",
       "regedit imported", merged},
      {"not a registry file", kXp, "hello\n", "regedit could not import", MachineHive()},
  };
  for (const ImportCase& c : cases) {
    SCOPED_TRACE(c.label);
    testing::TempDir drive_c;
    SimFiles files(drive_c.path(), "C:\\WINDOWS");
    ASSERT_TRUE(files.WriteFile("c:\\undo.reg", c.text));
    SimRegistry registry(MachineHive(), true);
    EXPECT_TRUE(RunRegedit("/s c:\\undo.reg", registry, files, RegeditFormFor(c.windows))
                    .starts_with(c.outcome_start));
    EXPECT_TRUE(registry.hive() == c.after) << ExportRegedit4(registry.hive());
  }
}

TEST(SimRegedit, KnowsRegeditByItsFileName) {
  for (const char* name : {"regedit", "REGEDIT.EXE", "C:\\WINDOWS\\regedit.exe", "/x/regedit"}) {
    EXPECT_TRUE(IsRegedit(name)) << name;
  }
  for (const char* name : {"regedt32", "regedit.com", "notepad", "", "regedit\\"}) {
    EXPECT_FALSE(IsRegedit(name)) << name;
  }
}

}  // namespace
}  // namespace tunora::sim
