// The undo file Apply leaves: imported with regedit after Apply, it gives
// back the registry as it was before, value for value, on every road. On
// Windows whose regedit cannot delete, what is left is exactly what the
// file names for deleting by hand.
#include "sheet/apply_undo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "registry/registry_overlay.h"
#include "sheet/prop_sheet.h"
#include "sim/os/sim_regedit.h"
#include "tests/support/identified_app.h"

namespace tunora::testing {
namespace {

// Everything a sheet can leave pending: every setting changed, a custom
// resolution, a TV channel and the capture switch.
void ChangeEverything(App& app, const SettingValues& values) {
  SettingState& settings = app.state.settings;
  settings.current = values;
  settings.changed = {1, 1, 1, 1, 1};
  SheetFlags& flags = app.state.flags;
  flags.monitor_horizontal_chosen = flags.monitor_vertical_chosen = true;
  flags.monitor_horizontal = "1152";
  flags.monitor_vertical = "864";
  flags.tv_channels = ReadTvChannelTable(app.platform.registry);
  if (!flags.tv_channels.channels.empty()) {
    flags.tv_channels.channels.front().pending += 250;
    flags.tv_channels_changed = 1;
  }
  flags.tv_capture_pending = flags.tv_capture_at_opening == 0 ? 1 : 0;
}

// The lines a user of an older regedit carries out by hand: the file's
// commented deletions, without their "; ".
std::string DeletionsByHand(const std::string& file) {
  std::istringstream lines(file);
  std::string by_hand = "REGEDIT4\r\n\r\n";
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const bool key_removal = line.starts_with("; [-");
    const bool value_removal = line.starts_with("; \"") && line.ends_with("=-");
    if (line.starts_with("[")) by_hand += line + "\r\n";
    if (key_removal || value_removal) by_hand += line.substr(2) + "\r\n";
  }
  return by_hand;
}

// The lines of one export missing from the other, for failure messages.
std::string Difference(const sim::Hive& a, const sim::Hive& b) {
  std::istringstream lines(sim::ExportRegedit4(a));
  const std::string other = sim::ExportRegedit4(b);
  std::string missing;
  std::string key;
  std::string line;
  while (std::getline(lines, line)) {
    if (line.starts_with("[")) key = line;
    if (!line.empty() && other.find(line) == std::string::npos) missing += key + " " + line + "\n";
  }
  return missing;
}

// Value for value: the same keys, and in each the same values by name,
// type and data. The order values enumerate in is no part of what a
// driver reads, and a value given back comes last.
bool SameValues(const sim::HiveKey& a, const sim::HiveKey& b) {
  if (a.values().size() != b.values().size() || a.SubKeyCount() != b.SubKeyCount()) return false;
  for (const sim::HiveValue& value : a.values()) {
    const sim::HiveValue* other = b.FindValue(value.name);
    if (other == nullptr || other->type != value.type || other->data != value.data) return false;
  }
  for (std::size_t i = 0; i < a.SubKeyCount(); ++i) {
    const sim::HiveKey* other = b.FindSubKey(a.SubKey(i).name());
    if (other == nullptr || !SameValues(a.SubKey(i), *other)) return false;
  }
  return true;
}

struct UndoRoad {
  const char* profile;
  bool regedit_deletes;
};

class ApplyUndo : public ::testing::TestWithParam<UndoRoad> {};

TEST_P(ApplyUndo, ImportingTheFileGivesBackTheRegistryOfBeforeApply) {
  const UndoRoad& road = GetParam();
  IdentifiedApp run(road.profile);
  App& app = run.app;
  sim::SimRegistry& registry = run.machine->registry();
  const std::string undo_path = app.platform.files.WindowsDirectory() + "\\TUNORAUNDO.REG";
  const sim::RegFileForm form = sim::RegeditFormFor(app.platform.system.GetVersion());
  // First every value is created or changed, then reset and removed again
  // (driver defaults, multitexturing off), so both directions are undone.
  const SettingValues rounds[] = {
      {kAgp1x, 1, 1, 0, {kOglCustom, 1, kVsyncAlwaysOn, kUnchanged}, 2048, 1},
      {kAgp2x, 0, 0, 1, OglPresetChoice{}, 1024, 0},
  };
  for (const SettingValues& values : rounds) {
    SCOPED_TRACE(::testing::Message() << "preset " << values.ogl.preset);
    ChangeEverything(app, values);
    const sim::Hive before = registry.hive();
    ASSERT_TRUE(WriteApplyUndoFile(app));
    // The dry run wrote nothing.
    ASSERT_TRUE(registry.hive() == before);
    WritePendingChanges(app);
    ASSERT_FALSE(registry.hive() == before);
    const sim::Hive applied = registry.hive();

    const std::string file = app.platform.files.ReadFile(undo_path).value_or("");
    EXPECT_TRUE(file.starts_with("REGEDIT4\r\n"));
    EXPECT_EQ(sim::RunRegedit("/s " + undo_path, registry, app.platform.files, form),
              "regedit imported \"" + undo_path + "\"");
    if (!road.regedit_deletes) {
      sim::ImportRegFile(DeletionsByHand(file), registry.hive(), true);
    }
    EXPECT_TRUE(SameValues(registry.hive().root(), before.root()))
        << "lost:\n"
        << Difference(before, registry.hive()) << "left:\n"
        << Difference(registry.hive(), before) << file;

    // Leave Apply's changes for the next round.
    registry.hive() = applied;
    app.state.flags.tv_capture_at_opening = app.state.flags.tv_capture_pending;
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryRoad, ApplyUndo,
    ::testing::Values(UndoRoad{"win2000-qx2max", true}, UndoRoad{"win2000-qx2e-qtv", true},
                      UndoRoad{"winxp-qx3", true}, UndoRoad{"nt4-qx2-boardrecords", false},
                      UndoRoad{"win98-qx1", false}, UndoRoad{"winme-qx2e-qtv", false}),
    [](const ::testing::TestParamInfo<UndoRoad>& param_info) {
      std::string name = param_info.param.profile;
      for (char& c : name) c = c == '-' ? '_' : c;
      return name;
    });

// What the overlay hands to the file: old data for changed and deleted
// values, deletion for created values and keys, outermost created key only.
TEST(UndoFileText, SavesOldDataAndRemovesWhatApplyCreates) {
  sim::Hive hive;
  hive.SetDword("SOFTWARE\\Maker", "Kept", 7);
  hive.SetString("SOFTWARE\\Maker", "Gone", "old \"text\"");
  sim::SimRegistry below(hive, true);
  RegistryOverlay overlay(below);
  RegKey key = 0;
  ASSERT_EQ(overlay.OpenKey(kHkeyLocalMachine, "SOFTWARE\\Maker", kKeyAllAccess, &key), 0);
  const std::uint8_t eight[4] = {8, 0, 0, 0};
  overlay.SetValue(key, "Kept", kRegDword, eight, 4);
  overlay.SetValue(key, "New", kRegDword, eight, 4);
  overlay.DeleteValue(key, "Gone");
  RegKey created = 0;
  ASSERT_EQ(overlay.CreateKey(key, "A\\B", kKeyAllAccess, &created), 0);
  overlay.SetValue(created, "Inside", kRegDword, eight, 4);
  // Reads see the changes; the registry below is untouched.
  std::uint32_t type = 0, size = 4;
  std::uint8_t read[4] = {};
  EXPECT_EQ(overlay.QueryValue(key, "Gone", &type, read, &size), kErrorFileNotFound);
  std::string name;
  EXPECT_EQ(overlay.EnumKey(key, 0, &name), 0);
  EXPECT_EQ(name, "A");
  EXPECT_TRUE(below.hive() == hive);

  const std::string header =
      "REGEDIT4\r\n\r\n"
      "; tunora: the registry as it was before Apply. Import this file with regedit\r\n"
      "; (safe mode will do) to undo Apply's changes to the display driver's settings.\r\n";
  const std::string body =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker]\r\n"
      "\"Kept\"=dword:00000007\r\n";
  EXPECT_EQ(UndoFileText(overlay, true),
            header + "\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\A]\r\n\r\n" + body +
                "\"New\"=-\r\n\"Gone\"=\"old \\\"text\\\"\"\r\n\r\n");
  const std::string older = UndoFileText(overlay, false);
  EXPECT_NE(older.find("\r\n; [-HKEY_LOCAL_MACHINE\\SOFTWARE\\Maker\\A]\r\n"), std::string::npos);
  EXPECT_NE(older.find("\r\n; \"New\"=-\r\n"), std::string::npos);
}

std::vector<std::string> SubKeyNames(Registry& registry, const char* path) {
  std::vector<std::string> names;
  RegKey key = 0;
  if (registry.OpenKey(kHkeyLocalMachine, path, kKeyRead, &key) != kErrorSuccess) return names;
  std::string name;
  while (registry.EnumKey(key, static_cast<std::uint32_t>(names.size()), &name) == kErrorSuccess) {
    names.push_back(name);
  }
  registry.CloseKey(key);
  std::sort(names.begin(), names.end());  // the order is the registry's own
  return names;
}

// Sequences of changes the writers could make, each run on the overlay
// for the file and then for real: importing the file must give back the
// registry of before, also where a key is deleted and made again.
TEST(UndoFileText, GivesBackTheRegistryAfterDeletingAndRemakingKeys) {
  const std::uint8_t nine[4] = {9, 0, 0, 0};
  const auto set = [&](Registry& r, const char* path, const char* name) {
    RegKey key = 0;
    ASSERT_EQ(r.CreateKey(kHkeyLocalMachine, path, kKeyAllAccess, &key), 0);
    ASSERT_EQ(r.SetValue(key, name, kRegDword, nine, 4), 0);
    r.CloseKey(key);
  };
  const auto remove = [](Registry& r, const char* path) {
    ASSERT_EQ(r.DeleteKey(kHkeyLocalMachine, path), 0);
  };
  const struct {
    const char* what;
    std::function<void(Registry&)> changes;
  } cases[] = {
      {"an old key deleted and made again",
       [&](Registry& r) {
         remove(r, "SOFTWARE\\Maker\\Old");
         set(r, "SOFTWARE\\Maker\\Old", "Fresh");
       }},
      {"an old key deleted, made again with a sub-key",
       [&](Registry& r) {
         remove(r, "SOFTWARE\\Maker\\Old");
         set(r, "SOFTWARE\\Maker\\Old\\Inner", "Fresh");
       }},
      {"a new key made, deleted and made again",
       [&](Registry& r) {
         set(r, "SOFTWARE\\Maker\\New", "First");
         remove(r, "SOFTWARE\\Maker\\New");
         set(r, "SOFTWARE\\Maker\\New", "Second");
       }},
      {"an old key deleted for good", [&](Registry& r) { remove(r, "SOFTWARE\\Maker\\Old"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Hive hive;
    hive.SetDword("SOFTWARE\\Maker\\Old", "Kept", 7);
    hive.SetString("SOFTWARE\\Maker\\Old", "Text", "old");
    const sim::Hive before = hive;
    sim::SimRegistry below(hive, true);
    RegistryOverlay overlay(below);
    c.changes(overlay);
    ASSERT_TRUE(below.hive() == before);
    const std::string file = UndoFileText(overlay, true);
    const std::vector<std::string> seen = SubKeyNames(overlay, "SOFTWARE\\Maker");
    c.changes(below);
    // The overlay lists the keys the changes leave, each once.
    EXPECT_EQ(seen, SubKeyNames(below, "SOFTWARE\\Maker"));
    sim::ImportRegFile(file, below.hive(), true);
    EXPECT_TRUE(SameValues(below.hive().root(), before.root()))
        << "lost:\n"
        << Difference(before, below.hive()) << "left:\n"
        << Difference(below.hive(), before) << file;
  }
}

}  // namespace
}  // namespace tunora::testing
