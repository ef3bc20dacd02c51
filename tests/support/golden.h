// Expected files kept as test data, compared byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace tunora::testing {

// The hardware log expected of a built-in machine (tests/hwlog/golden).
inline std::string GoldenLog(const std::string& profile) {
  std::ifstream in(std::string(TUNORA_SOURCE_DIR) + "/tests/hwlog/golden/" + profile + ".txt",
                   std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Success when `actual` is `expected`; otherwise the first line (from 1,
// split at LF) where they differ, both shown with CR as \r.
inline ::testing::AssertionResult SameBytes(const std::string& actual,
                                            const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  const auto shown = [](std::string line) {
    std::string out;
    for (const char c : line) out += c == '\r' ? std::string("\\r") : std::string(1, c);
    return out;
  };
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end()).first -
      actual.begin());
  const std::size_t start = actual.rfind('\n', at == 0 ? 0 : at - 1);
  const std::size_t from = start == std::string::npos || at == 0 ? 0 : start + 1;
  const auto line_at = [&](const std::string& text) {
    if (from >= text.size()) return std::string("(the end of the file)");
    return "\"" + shown(text.substr(from, text.find('\n', from) - from)) + "\"";
  };
  const auto number =
      std::count(actual.begin(), actual.begin() + static_cast<long>(from), '\n') + 1;
  return ::testing::AssertionFailure()
         << "first difference in line " << number << " (byte " << at
         << ")\n  actual:   " << line_at(actual) << "\n  expected: " << line_at(expected);
}

}  // namespace tunora::testing
