// The simulated sound call: which files count as playable WAV files, and
// what playing one, a broken one and a missing one reports.
#include "sim/os/wave_file.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/os/sim_files.h"
#include "sim/os/sim_system.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

std::string Le(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}

std::string Chunk(std::string_view id, const std::string& body) {
  std::string chunk = std::string(id) + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
  if (body.size() % 2 != 0) chunk.push_back('\0');
  return chunk;
}

struct Fmt {
  std::uint32_t tag = 1, channels = 1, rate = 8000, byte_rate = 8000, block = 1, bits = 8;
};

std::string FmtChunk(const Fmt& f) {
  return Chunk("fmt ", Le(f.tag, 2) + Le(f.channels, 2) + Le(f.rate, 4) + Le(f.byte_rate, 4) +
                           Le(f.block, 2) + Le(f.bits, 2));
}

std::string Riff(const std::string& chunks) {
  return "RIFF" + Le(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

TEST(WaveFile, PlayableAndRefusedFiles) {
  const std::string samples(8000, '\x80');
  const std::string good = Riff(FmtChunk({}) + Chunk("data", samples));
  std::string long_riff = good;
  long_riff[4] = static_cast<char>(long_riff[4] + 1);
  std::string cut_data = Riff(FmtChunk({}) + Chunk("data", samples));
  cut_data.resize(cut_data.size() - 1);
  cut_data.replace(4, 4, Le(static_cast<std::uint32_t>(cut_data.size() - 8), 4));
  struct Case {
    const char* what;
    std::string bytes;
    const char* described;  // empty: refused
  };
  const Case cases[] = {
      {"8-bit mono", good, "PCM 8000 Hz, 8 bits, 1 channel, 8000 bytes"},
      {"16-bit stereo after an odd-sized chunk",
       Riff(Chunk("LIST", "abc") + FmtChunk({1, 2, 22050, 88200, 4, 16}) +
            Chunk("data", std::string(400, '\0'))),
       "PCM 22050 Hz, 16 bits, 2 channels, 400 bytes"},
      {"not RIFF", "RIFX" + good.substr(4), ""},
      {"RIFF size past the file", long_riff, ""},
      {"data chunk past the end", cut_data, ""},
      {"no fmt chunk", Riff(Chunk("data", samples)), ""},
      {"no data chunk", Riff(FmtChunk({})), ""},
      {"not PCM", Riff(FmtChunk({3, 1, 8000, 8000, 1, 8}) + Chunk("data", samples)), ""},
      {"block alignment", Riff(FmtChunk({1, 1, 8000, 8000, 2, 8}) + Chunk("data", samples)), ""},
      {"byte rate", Riff(FmtChunk({1, 1, 8000, 16000, 1, 8}) + Chunk("data", samples)), ""},
      {"half a sample", Riff(FmtChunk({1, 1, 8000, 16000, 2, 16}) + Chunk("data", "abc")), ""},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const sim::WaveCheck check = sim::CheckWaveFile(c.bytes);
    if (*c.described == '\0') {
      EXPECT_FALSE(check.format);
      EXPECT_FALSE(check.problem.empty());
    } else {
      ASSERT_TRUE(check.format) << check.problem;
      EXPECT_EQ(check.format->Describe(), c.described);
    }
  }
}

TEST(WaveFile, PlaySoundReportsWhatItPlayed) {
  TempDir drive_c;
  sim::SimFiles files(drive_c.path(), "C:\\WINDOWS");
  ASSERT_TRUE(
      files.WriteFile("c:\\good.wav", Riff(FmtChunk({}) + Chunk("data", std::string(12000, 'x')))));
  ASSERT_TRUE(files.WriteFile("c:\\bad.wav", "RIFF"));
  FakeUi ui;
  std::uint64_t clock_ms = 0;
  sim::SimSystem system({{}, 0, false, true, nullptr, &files}, clock_ms, ui);
  struct Case {
    const char* path;
    bool played;
    const char* event;
  };
  const Case cases[] = {
      {"c:\\good.wav", true,
       "sound played \"c:\\good.wav\" PCM 8000 Hz, 8 bits, 1 channel, 12000 bytes"},
      {"c:\\bad.wav", false, "sound not played \"c:\\bad.wav\": not a RIFF/WAVE file"},
      {"c:\\none.wav", false, "sound not played \"c:\\none.wav\": no such file"},
  };
  for (const Case& c : cases) {
    ui.events.clear();
    EXPECT_EQ(system.PlaySoundFile(c.path), c.played) << c.path;
    EXPECT_EQ(ui.events, std::vector<std::string>{c.event});
  }
  ASSERT_EQ(system.sounds_played().size(), 1u);
  EXPECT_EQ(system.sounds_played()[0].path, "c:\\good.wav");
  // The call returns when the 1.5 seconds have played.
  EXPECT_EQ(clock_ms, 1500u);
}

}  // namespace
}  // namespace tunora::testing
