#include "sheet/test_tone.h"

#include <algorithm>

namespace tunora {
namespace {

constexpr std::uint8_t kStep = 20;
// Values below this repeat the previous sample instead.
constexpr std::uint8_t kLowest = 10;

void PutText(std::string& out, const char (&text)[5]) { out.append(text, 4); }

void Put32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void Put16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

}  // namespace

int HalfPeriodSamples(int frequency) {
  return static_cast<int>(static_cast<double>(kToneSampleRate) / frequency * 0.5);
}

std::string ToneWaveFile(int frequency) {
  std::string file;
  file.reserve(kToneFileBytes);
  PutText(file, "RIFF");
  Put32(file, static_cast<std::uint32_t>(kToneFileBytes - 8));
  PutText(file, "WAVE");
  PutText(file, "fmt ");
  Put32(file, 16);
  Put16(file, 1);  // PCM
  Put16(file, 1);  // channels
  Put32(file, kToneSampleRate);
  Put32(file, kToneSampleRate);  // bytes per second
  Put16(file, 1);                // block alignment
  Put16(file, 8);                // bits per sample
  PutText(file, "data");
  Put32(file, kToneSamples);

  const int half_period = std::max(HalfPeriodSamples(frequency), 1);
  // Eight-bit arithmetic: every step wraps modulo 256.
  std::uint8_t value = 0;
  std::uint8_t previous = 0;
  bool up = true;
  for (std::uint32_t i = 0; i < kToneSamples; ++i) {
    if (i % static_cast<std::uint32_t>(half_period) == 0) up = !up;
    value = static_cast<std::uint8_t>(up ? value + kStep : value - kStep);
    if (value < kLowest) value = previous;
    file.push_back(static_cast<char>(value));
    previous = value;
  }
  return file;
}

}  // namespace tunora
