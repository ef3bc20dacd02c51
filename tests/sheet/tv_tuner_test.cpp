// The TV tuner's registry places on their own: which values are channels,
// bounded reads of oversized tables, names and values, the frequency box's
// parsing and what each writer leaves.
#include "sheet/tv_tuner.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "sim/os/sim_registry.h"

namespace tunora {
namespace {

constexpr const char* kChannels = "SOFTWARE\\Quillex\\Chromalink\\0\\TVTFreq\\CurrentFreq";
constexpr const char* kTuner = "SOFTWARE\\Quillex\\Chromalink\\0\\TVTFreq";

struct ReadCase {
  const char* label;
  std::function<void(sim::Hive&)> fill;
  bool available;
  std::vector<std::string> shown;  // display names, first ones when `count` is larger
  std::vector<std::int32_t> stored;
  std::size_t count;
  std::string country;
};

TEST(TvChannelTable, ListsChannelsWithinItsBoundsAndReadsTheCountry) {
  const std::string long_name(kMaxTvChannelNameChars, 'F');
  const ReadCase cases[] = {
      {"band values are not channels",
       [](sim::Hive& h) {
         for (const char* name : {"Band", "MinChannel", "MaxChannel", "F0"}) {
           h.SetDword(kChannels, name, 7);
         }
         h.SetDword(kChannels, "F2", 55250);
         h.SetDword(kChannels, "F3", 61250);
         h.SetString(kTuner, "Country", "United States");
       },
       true,
       {" 2", " 3"},
       {55250, 61250},
       2,
       "United States"},
      {"names in any case; read under F and the rest; odd sizes",
       [](sim::Hive& h) {
         h.SetDword(kChannels, "band", 1);
         h.SetDword(kChannels, "f0", 1);
         h.SetDword(kChannels, "f7", 175250);
         h.SetValue(kChannels, "F8", kRegBinary, std::string("\x10\x27", 2));
         h.SetValue(kChannels, "F9", kRegBinary, "12345");  // longer than 4 bytes
         h.SetDword(kChannels, "X10", 1);                   // read as "F10": missing
       },
       true,
       {" 7", " 8", " 9", " 10"},
       {175250, 10000, 0, 0},
       4,
       ""},
      {"more than 255 channels: the first 255",
       [](sim::Hive& h) {
         for (std::uint32_t i = 1; i <= 300; ++i) h.SetDword(kChannels, "F" + std::to_string(i), i);
       },
       true,
       {" 1", " 2"},
       {1, 2},
       kMaxTvChannels,
       ""},
      {"names of 255 characters are left out, 254 kept",
       [&](sim::Hive& h) {
         h.SetDword(kChannels, long_name + "F", 1);
         h.SetDword(kChannels, long_name, 2);
         h.SetDword(kChannels, "", 3);
       },
       true,
       {" " + long_name.substr(1)},
       {2},
       1,
       ""},
      {"country filling the buffer, no channel key",
       [](sim::Hive& h) { h.SetString(kTuner, "Country", std::string(259, 'c')); },
       false,
       {},
       {},
       0,
       std::string(259, 'c')},
      {"country longer than the buffer",
       [](sim::Hive& h) {
         h.CreateKey(kChannels);
         h.SetString(kTuner, "Country", std::string(260, 'c'));
       },
       true,
       {},
       {},
       0,
       ""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.label);
    sim::Hive hive;
    c.fill(hive);
    sim::SimRegistry registry(hive, true);
    const TvChannelTable table = ReadTvChannelTable(registry);
    EXPECT_EQ(table.available, c.available);
    EXPECT_EQ(table.country, c.country);
    ASSERT_EQ(table.channels.size(), c.count);
    for (std::size_t i = 0; i < c.shown.size(); ++i) {
      EXPECT_EQ(table.channels[i].DisplayName(), c.shown[i]);
      EXPECT_EQ(table.channels[i].stored, c.stored[i]);
      EXPECT_EQ(table.channels[i].pending, c.stored[i]);
    }
    if (c.count == kMaxTvChannels) {
      EXPECT_EQ(table.channels.back().value_name, "F255");
    }
  }
}

TEST(TvChannelTable, FrequencyBoxTextAsANumber) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::pair<const char*, std::int32_t> cases[] = {
      {"", 0},
      {"0", 0},
      {"471250", 471250},
      {"0012", 12},
      {"12ab", 12},
      {"abc", 0},
      {"-5", -5},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"999999999999", kMax},
      {"-999999999999", kMin},
      {"99999999999999999999", kMax},
  };
  for (const auto& [text, number] : cases) EXPECT_EQ(ParseFrequencyText(text), number) << text;
}

TEST(TvTunerWriters, StoreOnlyChangesWhereTheyBelong) {
  sim::Hive hive;
  hive.SetDword(kChannels, "F2", 55250);
  hive.SetDword(kChannels, "F3", 61250);
  sim::SimRegistry registry(hive, true);
  TvChannelTable table = ReadTvChannelTable(registry);
  table.channels[1].pending = -1;
  WriteTvFrequencies(registry, table);
  const sim::HiveValue* f2 = registry.hive().FindValue(kChannels, "F2");
  const sim::HiveValue* f3 = registry.hive().FindValue(kChannels, "F3");
  ASSERT_TRUE(f2 && f3);
  EXPECT_EQ(f2->data, sim::DwordBytes(55250));
  EXPECT_EQ(f3->type, kRegDword);
  EXPECT_EQ(f3->data, sim::DwordBytes(0xFFFFFFFF));

  // The channel key is opened, never created.
  sim::SimRegistry empty(sim::Hive(), true);
  WriteTvFrequencies(empty, table);
  EXPECT_EQ(empty.hive(), sim::Hive());

  // The capture switch: every level created, one byte of REG_BINARY.
  WriteCaptureMode(empty, 1);
  const sim::HiveValue* mode = empty.hive().FindValue(kCaptureKey, kAdvancedModeValue);
  ASSERT_TRUE(mode);
  EXPECT_EQ(mode->type, kRegBinary);
  EXPECT_EQ(mode->data, "\x01");
  EXPECT_EQ(ReadCaptureMode(empty), 1);
}

TEST(TvTunerWriters, StoredCaptureModeIsOneByteOrNothing) {
  const std::pair<std::optional<std::string>, std::int32_t> cases[] = {
      {std::nullopt, 0},         {std::string("\x01"), 1},
      {std::string(1, '\0'), 0}, {std::string("\x01\x00", 2), 0},  // not the one byte the switch is
      {std::string(), 0},
  };
  for (const auto& [data, mode] : cases) {
    sim::Hive hive;
    hive.CreateKey(kCaptureKey);
    if (data) hive.SetValue(kCaptureKey, kAdvancedModeValue, kRegBinary, *data);
    sim::SimRegistry registry(hive, true);
    EXPECT_EQ(ReadCaptureMode(registry), mode) << (data ? data->size() : 99);
  }
}

}  // namespace
}  // namespace tunora
