// The program's bounded registry reads against a registry that reports
// more bytes than the buffer it was given: every reader keeps to its own
// buffer, so what it sees is the stored value and the buffer's zero fill.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "registry/reg_access.h"
#include "settings/driver_keys.h"
#include "tests/support/misbehaving_registry.h"
#include "tests/support/registry_fixture.h"

namespace tunora::testing {
namespace {

constexpr std::string_view kKey = "Software\\Test";

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    char part[4];
    std::snprintf(part, sizeof part, "%02X ", byte);
    text += part;
  }
  return text;
}

struct Case {
  const char* what;
  std::function<std::string(Registry&, RegKey)> read;
  std::string expected;
};

const Case kCases[] = {
    {"bytes into an 8-byte buffer",
     [](Registry& r, RegKey k) { return Hex(QueryBytes(r, k, "Two", 8).value()); },
     "01 02 00 00 00 00 00 00 "},
    {"four bytes",
     [](Registry& r, RegKey k) {
       const auto bytes = QueryFourBytes(r, k, "Two").value();
       return Hex({bytes.begin(), bytes.end()});
     },
     "01 02 00 00 "},
    {"a number",
     [](Registry& r, RegKey k) { return std::to_string(QueryNumber(r, k, "Two").value()); }, "513"},
    {"text in a large buffer",
     [](Registry& r, RegKey k) { return QueryText(r, k, "PackageVer", 260).value(); }, "5.70"},
    {"text without its zero in a small buffer",
     [](Registry& r, RegKey k) { return QueryText(r, k, "Bare", 4).value(); }, "12"},
    {"a board record that names the board",
     [](Registry& r, RegKey k) {
       return std::to_string(BoardRecordMatches(r, k, 0, {0x0525, 0x217D}));
     },
     "1"},
    {"a board record that names another board",
     [](Registry& r, RegKey k) {
       return std::to_string(BoardRecordMatches(r, k, 1, {0x0525, 0x217D}));
     },
     "0"},
};

TEST(RegistrySizeGuard, ReadersKeepToTheirBuffers) {
  const auto honest = MakeRegistry(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n\"Two\"=hex:01,02\n"
      "\"PackageVer\"=\"5.70\"\n\"Bare\"=hex:31,32\n"
      "\"D00\"=hex:25,05,00,00,00,00,7d,21\n\"D01\"=hex:21,05,00,00,00,00,02,ff\n");
  MisbehavingRegistry registry(*honest);
  const RegHandle key = RegHandle::Open(registry, kKey);
  ASSERT_TRUE(key);
  for (std::uint32_t overstatement : {1u, 0x10000u}) {
    registry.overstatement = overstatement;
    for (const Case& c : kCases) {
      SCOPED_TRACE(::testing::Message() << c.what << ", " << overstatement << " bytes too many");
      EXPECT_EQ(c.read(registry, key.key()), c.expected);
    }
  }
}

}  // namespace
}  // namespace tunora::testing
