// What the simulated PC's sound call checks before it plays a file: a
// RIFF/WAVE file whose chunk sizes agree with the file, a PCM "fmt " chunk
// and a "data" chunk after it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tunora::sim {

struct WaveFormat {
  std::uint16_t channels = 0;
  std::uint32_t sample_rate = 0;
  std::uint16_t bits = 0;
  std::uint32_t data_bytes = 0;
  // Playing time in milliseconds, rounded down.
  std::uint64_t DurationMs() const;
  // "PCM 44100 Hz, 8 bits, 1 channel, 441000 bytes".
  std::string Describe() const;
};

struct WaveCheck {
  std::optional<WaveFormat> format;  // set when the file is playable
  std::string problem;               // why not, otherwise
};

WaveCheck CheckWaveFile(std::string_view bytes);

}  // namespace tunora::sim
