#include "sheet/tv_tuner.h"

#include <algorithm>
#include <array>
#include <limits>

#include "registry/reg_access.h"

namespace tunora {
namespace {

// Values of the channel key that describe the band rather than a channel.
constexpr std::array<std::string_view, 4> kNotChannels = {"Band", "MaxChannel", "MinChannel", "F0"};
// The box takes 12 characters; more digits cannot change the clamped result.
constexpr std::size_t kMaxFrequencyDigits = 12;

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool NamesMatch(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string ChannelKeyPath() { return JoinPath(kTvFrequencyKey, kTvChannelSubKey); }

}  // namespace

std::string TvChannel::DisplayName() const {
  std::string name = value_name;
  if (!name.empty()) name.front() = ' ';
  return name;
}

bool IsTvChannelName(std::string_view value_name) {
  if (value_name.empty() || value_name.size() > kMaxTvChannelNameChars) return false;
  return std::none_of(kNotChannels.begin(), kNotChannels.end(),
                      [&](std::string_view other) { return NamesMatch(value_name, other); });
}

std::int32_t ParseFrequencyText(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  std::int64_t number = 0;
  for (std::size_t i = 0; i < text.size() && i < kMaxFrequencyDigits; ++i) {
    if (text[i] < '0' || text[i] > '9') break;
    number = number * 10 + (text[i] - '0');
  }
  if (negative) number = -number;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      number, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

TvChannelTable ReadTvChannelTable(Registry& registry) {
  TvChannelTable table;
  if (const RegHandle channels = RegHandle::Open(registry, ChannelKeyPath())) {
    table.available = true;
    std::string name;
    std::string data;
    std::uint32_t type = 0;
    for (std::uint32_t index = 0; table.channels.size() < kMaxTvChannels; ++index) {
      if (registry.EnumValue(channels.key(), index, &name, &type, &data) != kErrorSuccess) break;
      if (IsTvChannelName(name)) table.channels.push_back({name, 0, 0});
    }
    for (TvChannel& channel : table.channels) {
      // Read under "F" and the display name's rest, as the tuner names them.
      const std::string read_name = "F" + channel.value_name.substr(1);
      const std::uint32_t number = QueryNumber(registry, channels.key(), read_name).value_or(0);
      channel.stored = channel.pending = static_cast<std::int32_t>(number);
    }
  }
  if (const RegHandle tuner = RegHandle::Open(registry, kTvFrequencyKey)) {
    table.country =
        QueryText(registry, tuner.key(), kTvCountryValue, kTvCountryBufferBytes).value_or("");
  }
  return table;
}

void WriteTvFrequencies(Registry& registry, const TvChannelTable& table) {
  const RegHandle channels = RegHandle::Open(registry, ChannelKeyPath());
  if (!channels) return;
  for (const TvChannel& channel : table.channels) {
    if (channel.pending == channel.stored) continue;
    SetNumber(registry, channels.key(), channel.value_name,
              static_cast<std::uint32_t>(channel.pending));
  }
}

std::int32_t ReadCaptureMode(Registry& registry) {
  const RegHandle record = RegHandle::Open(registry, kCaptureKey);
  if (!record) return 0;
  const auto bytes = QueryBytes(registry, record.key(), kAdvancedModeValue, 1);
  return bytes && bytes->size() == 1 ? bytes->front() : 0;
}

void WriteCaptureMode(Registry& registry, std::int32_t mode) {
  // Each level in turn, as the capture application's installer would.
  for (std::string_view path :
       {std::string_view("Software\\Quillex"), std::string_view("Software\\Quillex\\VidKeeper")}) {
    if (!RegHandle::Create(registry, path)) return;
  }
  const RegHandle record = RegHandle::Create(registry, kCaptureKey);
  if (!record) return;
  const auto byte = static_cast<std::uint8_t>(mode);
  registry.SetValue(record.key(), kAdvancedModeValue, kRegBinary, &byte, 1);
}

}  // namespace tunora
