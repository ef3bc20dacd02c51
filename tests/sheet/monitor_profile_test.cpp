// The Monitor Profile page's arithmetic and writers: the timing records
// the driver documents byte for byte, the aspect classes, the generated
// lists, the 2000/XP writer's key, value name and list rules, and which
// roads and choices write at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheet/custom_mode.h"
#include "sheet/mode_timing.h"
#include "sheet/prop_sheet.h"
#include "sim/os/regedit4.h"
#include "tests/support/identified_app.h"
#include "tests/support/registry_fixture.h"

namespace tunora::testing {
namespace {

TEST(ModeTiming, WorkedRecords) {
  struct Case {
    int horizontal, vertical;
    ModeTimingRecord record;
  };
  const Case cases[] = {
      {1024, 768, {0x3c, 0x00, 0x30, 0x00, 0xae, 0xea, 0x00, 0x00, 0x25, 0x00, 0x6e, 0x00,
                   0x9e, 0x00, 0x01, 0x00, 0x03, 0x00, 0x1c, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {640, 480, {0x3c, 0x00, 0x1e, 0x00, 0x25, 0x52, 0x00, 0x00, 0x15, 0x00, 0x3d, 0x00,
                  0x56, 0x00, 0x01, 0x00, 0x03, 0x00, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00}},
      {320, 200, {0x3c, 0x00, 0x0c, 0x00, 0xeb, 0x07, 0x00, 0x00, 0x05, 0x00, 0x0e, 0x00,
                  0x0c, 0x00, 0x01, 0x00, 0x03, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00}},
      // Fields wider than a byte are stored in full.
      {2560, 1536, {0x3c, 0x00, 0x61, 0x00, 0x75, 0x12, 0x05, 0x00, 0x67, 0x00, 0x31, 0x01,
                    0xc2, 0x01, 0x01, 0x00, 0x03, 0x00, 0x3a, 0x00, 0x00, 0x00, 0x00, 0x00}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToRecord(ComputeModeTiming(c.horizontal, c.vertical)), c.record)
        << c.horizontal << " x " << c.vertical;
  }
  // Before any computation the record holds 640 x 480 at 60 Hz as the
  // driver's own table has it.
  const ModeTimingRecord initial = {0x3c, 0x00, 0x20, 0x00, 0x57, 0x62, 0x00, 0x00,
                                    0x10, 0x00, 0x60, 0x00, 0x30, 0x00, 0x0a, 0x00,
                                    0x02, 0x00, 0x21, 0x00, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(ToRecord(ModeTiming{}), initial);
}

TEST(ModeTiming, AspectClasses) {
  struct Case {
    int horizontal, vertical;
    const char* text;
  };
  const Case cases[] = {
      {1024, 768, "4:3 Aspect Ratio"},    {1280, 1024, "5:4 Aspect Ratio"},
      {1280, 720, "16:9 Aspect Ratio"},   {1360, 768, "16:9 Aspect Ratio"},
      {1280, 800, "16:10 Aspect Ratio"},  {1920, 1200, "16:10 Aspect Ratio"},
      {1280, 960, "4:3 Aspect Ratio"},    {1400, 1050, "4:3 Aspect Ratio"},
      {800, 800, "Unknown Aspect Ratio"}, {2560, 1536, "Unknown Aspect Ratio"},
      {320, 200, "16:10 Aspect Ratio"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AspectClass(c.horizontal, c.vertical), c.text) << c.horizontal << " x " << c.vertical;
  }
}

TEST(ModeTiming, OfferedLists) {
  struct Case {
    const ResolutionList& list;
    std::size_t size;
    std::vector<std::pair<std::size_t, std::string>> entries;
  };
  const Case cases[] = {
      {kHorizontalResolutions, 281, {{0, "320"}, {1, "328"}, {88, "1024"}, {280, "2560"}}},
      {kVerticalResolutions, 669, {{0, "200"}, {1, "202"}, {284, "768"}, {668, "1536"}}},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> texts = c.list.Texts();
    ASSERT_EQ(texts.size(), c.size);
    for (const auto& [index, text] : c.entries) EXPECT_EQ(texts[index], text) << index;
  }
}

std::string DeviceKey(std::string_view service) {
  return "System\\CurrentControlSet\\Services\\" + std::string(service) + "\\Device0";
}

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (const std::uint8_t byte : bytes) {
    char part[4];
    std::snprintf(part, sizeof part, "%02x,", byte);
    text += part;
  }
  if (!text.empty()) text.pop_back();
  return text;
}

// The 2000/XP writer for 1024 x 768: the key it picks by family, the value
// name by driver version, and how far "Qxg.SingleResolutions" may grow.
TEST(CustomMode, NtWriterKeysNamesAndList) {
  constexpr std::string_view kRecord1024 =
      "3c,00,30,00,ae,ea,00,00,25,00,6e,00,9e,00,01,00,03,00,1c,00,00,00,00,00";
  struct Case {
    const char* what;
    ChipFamily family;
    DriverVersion version;
    std::vector<std::string_view> services;  // installed, each with a Device0 key
    int list_bytes;                          // -1: no list
    std::string_view written;                // the service written; empty: none
    bool new_names;
    int result;
    bool listed;  // 1024 x 768 already in the list: it stays as it is
  };
  const Case cases[] = {
      {"minor 69: old names", kFamilyQx2, {5, 69}, {"QX2"}, -1, "QX2", false, 0, false},
      {"major 4: old names", kFamilyQx2, {4, 82}, {"QX2"}, -1, "QX2", false, 0, false},
      {"249 bytes grow to 253", kFamilyQx2, {5, 82}, {"QX2"}, 249, "QX2", true, 1, false},
      {"250 bytes stay", kFamilyQx2, {5, 82}, {"QX2"}, 250, "QX2", true, 0, false},
      {"too long to read", kFamilyQx2, {5, 82}, {"QX2"}, 256, "QX2", true, 0, false},
      {"QX2E, dual driver", kFamilyQx2e, {5, 82}, {"QX2DUO"}, 8, "QX2DUO", true, 1, false},
      {"single driver first", kFamilyQx2, {5, 82}, {"QX2", "QX2DUO"}, 8, "QX2", true, 1, false},
      {"QX1", kFamilyQx1Agp, {5, 82}, {"QX1"}, 8, "QX1", true, 1, false},
      {"driver missing", kFamilyQx3, {5, 91}, {"QX2"}, 8, "", true, 1, false},
      {"family without a key", kFamilyFarview, {5, 82}, {"QX2"}, 8, "", true, 1, false},
      {"already listed", kFamilyQx2, {5, 82}, {"QX2"}, 8, "QX2", true, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> list;
    for (int i = 0; i < c.list_bytes; ++i) list.push_back(static_cast<std::uint8_t>(i));
    if (c.listed) list.insert(list.begin() + 4, {0, 4, 0, 3});  // the second entry
    std::string fixture = "REGEDIT4\n\n";
    for (const std::string_view service : c.services) {
      fixture += "[HKEY_LOCAL_MACHINE\\" + DeviceKey(service) + "]\n";
      if (c.list_bytes >= 0) fixture += "\"Qxg.SingleResolutions\"=hex:" + HexBytes(list) + "\n";
    }
    auto registry = MakeRegistry(fixture);
    FakeUi ui;
    const SettingsContext context{*registry, ui,     kPlatformWin2kXp, c.family,
                                  0x0525,    0x217D, c.version};
    const std::string before = sim::ExportRegedit4(registry->hive());
    EXPECT_EQ(AddCustomModeNt(context, "1024", "768"), c.result);
    if (c.written.empty()) {
      EXPECT_EQ(sim::ExportRegedit4(registry->hive()), before);
      continue;
    }
    std::vector<std::uint8_t> list_after = list;
    if (c.list_bytes >= 0 && c.list_bytes <= 249 && !c.listed) {
      list_after.insert(list_after.end(), {0, 4, 0, 3});
    }
    std::string expected = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\" + DeviceKey(c.written) + "]\n";
    if (c.list_bytes >= 0)
      expected += "\"Qxg.SingleResolutions\"=hex:" + HexBytes(list_after) + "\n";
    expected += std::string(c.new_names ? "\"Graphic" : "\"Default.Graphic") +
                ".1024.768\"=hex:" + std::string(kRecord1024) + "\n";
    EXPECT_EQ(ExportKey(*registry, DeviceKey(c.written)),
              sim::ExportRegedit4(sim::ParseRegedit4(expected), DeviceKey(c.written)));
  }
}

// Apply's custom-mode step on a whole run: only 98/ME and 2000/XP write,
// and only with both values chosen.
TEST(CustomMode, ApplyWritesOnlyBothValuesOnItsRoads) {
  struct Case {
    const char* profile;
    bool horizontal, vertical;
    bool written;
  };
  const Case cases[] = {
      {"win98-qx1", true, true, true},
      {"win2000-qx2max", true, false, false},
      {"win98-qx1", false, true, false},
      {"nt4-qx2", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.profile) + (c.horizontal ? " H" : "") + (c.vertical ? " V" : ""));
    IdentifiedApp run(c.profile);
    App& app = run.app;
    app.state.flags.monitor_horizontal_chosen = c.horizontal;
    app.state.flags.monitor_vertical_chosen = c.vertical;
    app.state.flags.monitor_horizontal = "1024";
    app.state.flags.monitor_vertical = "768";
    // "Graphic.1024.768" on 2000/XP, "1024,768" keys and values on 98/ME.
    const auto has_mode = [&] {
      const std::string text = sim::ExportRegedit4(run.machine->registry().hive());
      return text.find("1024.768") != std::string::npos ||
             text.find("1024,768") != std::string::npos;
    };
    ASSERT_FALSE(has_mode());
    WritePendingChanges(app);
    EXPECT_EQ(has_mode(), c.written);
  }
}

}  // namespace
}  // namespace tunora::testing
