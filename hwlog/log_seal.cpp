#include "hwlog/log_seal.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace tunora {
namespace {

constexpr std::size_t kChecksumDigits = 8;
constexpr int kMostTildes = 3;

}  // namespace

std::string WithTildes(std::string text) {
  text.append(text.size() % 4, '~');
  return text;
}

std::string LogChecksum(std::string_view text) {
  std::uint32_t sum = 0;
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<std::int8_t>(text[i])));
  };
  // The first group always counts; a text shorter than it reads as zeros.
  for (std::size_t k = 0; k == 0 || k + 4 < text.size(); k += 4) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      if (k + i < text.size()) word += byte(k + i) << (8 * i);
    }
    sum += word;
  }
  char digits[kChecksumDigits + 1];
  std::snprintf(digits, sizeof digits, "%08x", sum);
  return digits;
}

std::string SealLog(std::string text) {
  text = WithTildes(std::move(text));
  return text + LogChecksum(text);
}

LogSealCheck CheckLogSeal(std::string_view file) {
  LogSealCheck check;
  if (file.size() < kChecksumDigits) return check;
  const std::string_view digits = file.substr(file.size() - kChecksumDigits);
  check.is_log = std::all_of(digits.begin(), digits.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
  });
  if (!check.is_log) return check;
  const std::string_view sealed = file.substr(0, file.size() - kChecksumDigits);
  check.found_checksum = digits;
  check.expected_checksum = LogChecksum(sealed);

  int trailing = 0;
  while (trailing < kMostTildes && static_cast<std::size_t>(trailing) < sealed.size() &&
         sealed[sealed.size() - 1 - static_cast<std::size_t>(trailing)] == '~') {
    ++trailing;
  }
  const auto expected_for = [&](int tildes) {
    return static_cast<int>((sealed.size() - static_cast<std::size_t>(tildes)) % 4);
  };
  check.found_tildes = trailing;
  for (int tildes = trailing; tildes >= 0; --tildes) {
    if (expected_for(tildes) == tildes) {
      check.found_tildes = tildes;
      break;
    }
  }
  check.expected_tildes = expected_for(check.found_tildes);
  return check;
}

}  // namespace tunora
