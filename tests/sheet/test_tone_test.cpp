// The Audio page's tone file: its header, the half periods of the list's
// entries, the first samples as the sound card must get them, and the
// samples' range over every entry.
#include "sheet/test_tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tunora::testing {
namespace {

std::vector<int> Samples(const std::string& file, std::size_t count) {
  std::vector<int> samples;
  for (std::size_t i = 0; i < count; ++i) {
    samples.push_back(static_cast<std::uint8_t>(file[kWaveHeaderBytes + i]));
  }
  return samples;
}

TEST(TestTone, Header) {
  const std::string file = ToneWaveFile(100);
  ASSERT_EQ(file.size(), 441044u);
  const std::string header(
      "RIFF\xcc\xba\x06\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x44\xac\x00\x00"
      "\x44\xac\x00\x00\x01\x00\x08\x00"
      "data\xa8\xba\x06\x00",
      44);
  EXPECT_EQ(file.substr(0, 44), header);
}

TEST(TestTone, HalfPeriodsOfTheListEntries) {
  const std::pair<int, int> cases[] = {{1, 220}, {2, 110}, {3, 73},  {4, 55},  {5, 44}, {10, 22},
                                       {17, 12}, {18, 12}, {21, 10}, {22, 10}, {23, 9}};
  for (const auto& [index, half_period] : cases) {
    EXPECT_EQ(HalfPeriodSamples(100 * index), half_period) << index;
  }
}

TEST(TestTone, FirstSamples) {
  struct Case {
    int index;
    std::vector<int> first;
  };
  const Case cases[] = {
      // The value wraps below 0 (16 - 20 = 252) and holds at 28 rather than
      // go below 10.
      {1, {236, 216, 196, 176, 156, 136, 116, 96, 76, 56, 36, 16,  252, 232,
           212, 192, 172, 152, 132, 112, 92,  72, 52, 32, 12, 248, 228, 208,
           188, 168, 148, 128, 108, 88,  68,  48, 28, 28, 28, 28}},
      // 256 wraps to 0, which repeats 236 until the direction turns.
      {23, {236, 216, 196, 176, 156, 136, 116, 96,  76,  96,
            116, 136, 156, 176, 196, 216, 236, 236, 216, 196}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Samples(ToneWaveFile(100 * c.index), c.first.size()), c.first) << c.index;
  }
}

TEST(TestTone, NoSampleReachesTenOnAnyEntry) {
  for (int index = 1; index <= 23; ++index) {
    const std::vector<int> samples = Samples(ToneWaveFile(100 * index), kToneSamples);
    EXPECT_GT(*std::min_element(samples.begin(), samples.end()), 10) << index;
    if (index == 23) {
      // A triangle between 56 and 236.
      EXPECT_EQ(*std::min_element(samples.begin(), samples.end()), 56);
      EXPECT_EQ(*std::max_element(samples.begin(), samples.end()), 236);
    }
  }
}

}  // namespace
}  // namespace tunora::testing
