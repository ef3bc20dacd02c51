#include "sim/os/wave_file.h"

namespace tunora::sim {
namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::uint32_t kFormatPcm = 1;

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::uint16_t Read16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                    static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

WaveCheck Refused(std::string problem) { return {std::nullopt, std::move(problem)}; }

// The "fmt " chunk's body: PCM with a block alignment and byte rate that
// agree with its channels, rate and sample size.
std::optional<std::string> FormatProblem(std::string_view body, WaveFormat* format) {
  if (body.size() < 16) return "fmt chunk shorter than 16 bytes";
  if (Read16(body, 0) != kFormatPcm)
    return "not PCM (format " + std::to_string(Read16(body, 0)) + ")";
  format->channels = Read16(body, 2);
  format->sample_rate = Read32(body, 4);
  format->bits = Read16(body, 14);
  const std::uint32_t block = Read16(body, 12);
  if (format->channels == 0 || format->sample_rate == 0) return "no channels or no sample rate";
  if (format->bits != 8 && format->bits != 16) {
    return "unsupported sample size of " + std::to_string(format->bits) + " bits";
  }
  if (block != format->channels * format->bits / 8u)
    return "block alignment does not fit the format";
  if (Read32(body, 8) != format->sample_rate * block) return "byte rate does not fit the format";
  return std::nullopt;
}

}  // namespace

std::uint64_t WaveFormat::DurationMs() const {
  const std::uint64_t bytes_per_second = std::uint64_t{sample_rate} * channels * (bits / 8u);
  return bytes_per_second == 0 ? 0 : std::uint64_t{data_bytes} * 1000 / bytes_per_second;
}

std::string WaveFormat::Describe() const {
  return "PCM " + std::to_string(sample_rate) + " Hz, " + std::to_string(bits) + " bits, " +
         std::to_string(channels) + (channels == 1 ? " channel, " : " channels, ") +
         std::to_string(data_bytes) + " bytes";
}

WaveCheck CheckWaveFile(std::string_view bytes) {
  if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") {
    return Refused("not a RIFF/WAVE file");
  }
  if (std::uint64_t{Read32(bytes, 4)} + 8 != bytes.size()) {
    return Refused("RIFF size " + std::to_string(Read32(bytes, 4)) + " does not fit a file of " +
                   std::to_string(bytes.size()) + " bytes");
  }
  WaveFormat format;
  bool have_format = false;
  for (std::size_t at = 12; at < bytes.size();) {
    if (bytes.size() - at < kChunkHeader) return Refused("chunk header cut off at the end");
    const std::string_view id = bytes.substr(at, 4);
    const std::uint32_t size = Read32(bytes, at + 4);
    const std::size_t body_at = at + kChunkHeader;
    if (size > bytes.size() - body_at) {
      return Refused("\"" + std::string(id) + "\" chunk runs past the end of the file");
    }
    const std::string_view body = bytes.substr(body_at, size);
    if (id == "fmt ") {
      if (const auto problem = FormatProblem(body, &format)) return Refused(*problem);
      have_format = true;
    } else if (id == "data") {
      if (!have_format) return Refused("data chunk before the fmt chunk");
      if (size % (format.channels * format.bits / 8u) != 0) {
        return Refused("data chunk holds part of a sample");
      }
      format.data_bytes = size;
      return {format, {}};
    }
    // Chunks are padded to an even size.
    at = body_at + size + (size & 1u);
  }
  return Refused(have_format ? "no data chunk" : "no fmt chunk");
}

}  // namespace tunora::sim
