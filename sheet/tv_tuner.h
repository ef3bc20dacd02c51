// The TV-tuner board's registry places: the tuner application's channel
// table and country, the capture application's advanced mode switch; the
// channel table as the QTV page edits it, and the two writers Apply runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace tunora {

inline constexpr std::string_view kTvFrequencyKey = "SOFTWARE\\Quillex\\Chromalink\\0\\TVTFreq";
inline constexpr std::string_view kTvChannelSubKey = "CurrentFreq";
inline constexpr std::string_view kTvCountryValue = "Country";
inline constexpr std::uint32_t kTvCountryBufferBytes = 260;
inline constexpr std::string_view kCaptureKey = "Software\\Quillex\\VidKeeper\\Record";
inline constexpr std::string_view kAdvancedModeValue = "AdvancedMode";

// What the table holds at most: the first 255 channels in registry order,
// names of at most 254 characters. Anything beyond is not listed.
inline constexpr std::size_t kMaxTvChannels = 255;
inline constexpr std::size_t kMaxTvChannelNameChars = 254;

struct TvChannel {
  std::string value_name;  // "F5"
  std::int32_t stored = 0;
  std::int32_t pending = 0;

  // The value name with its first character replaced by a space: " 5".
  std::string DisplayName() const;
  // The decimal text the frequency box shows.
  std::string PendingText() const { return std::to_string(pending); }
};

struct TvChannelTable {
  std::vector<TvChannel> channels;
  std::string country;
  bool available = false;  // the channel key opened
};

// Whether a value of the channel key is a channel: not "Band",
// "MaxChannel", "MinChannel" or "F0" (in any case), and a name of 1 to 254
// characters.
bool IsTvChannelName(std::string_view value_name);

// The frequency box's text as a number: an optional minus and the leading
// digits; an empty box gives 0, a number beyond 32 bits the nearest limit.
std::int32_t ParseFrequencyText(std::string_view text);

// Lists the channels with their stored frequencies and reads the country
// (at most 260 bytes; a longer value leaves it empty). Silent on failure.
TvChannelTable ReadTvChannelTable(Registry& registry);

// Stores every channel whose pending frequency differs from the stored one
// as a REG_DWORD under its own name; opens the channel key, never creates it.
void WriteTvFrequencies(Registry& registry, const TvChannelTable& table);

// The stored advanced capture mode: one byte of "AdvancedMode"; 0 when the
// key or a one-byte value is missing.
std::int32_t ReadCaptureMode(Registry& registry);

// Creates the capture key step by step and stores the mode as one byte of
// REG_BINARY. Silent on failure.
void WriteCaptureMode(Registry& registry, std::int32_t mode);

}  // namespace tunora
