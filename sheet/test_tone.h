// The Audio page's test tone: ten seconds of 8-bit mono samples at
// 44100 Hz, a sawtooth-like wave of the chosen base tone, as a whole WAV
// file built in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tunora {

inline constexpr std::uint32_t kToneSampleRate = 44100;
inline constexpr std::uint32_t kToneSamples = 441000;  // ten seconds
inline constexpr std::size_t kWaveHeaderBytes = 44;
inline constexpr std::size_t kToneFileBytes = kWaveHeaderBytes + kToneSamples;

// Samples between two reversals of the wave's direction for base value
// `frequency` (100 x the list index): trunc(44100 / F x 0.5).
int HalfPeriodSamples(int frequency);

// The 441044 bytes of the tone file: RIFF header, "fmt " (PCM, 1 channel,
// 44100 Hz, 8 bits), "data" and the samples. `frequency` must not be 0.
std::string ToneWaveFile(int frequency);

}  // namespace tunora
