// The 9x driver's device control around the dispatch: bounded copies of
// the caller's buffers, the bytes returned, the Win32 errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hwaccess/drivers/dioc.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint8_t kUntouched = 0xAA;
constexpr std::uint32_t kSentinel = 0xDEADBEEF;

struct DiocCase {
  const char* what;
  std::uint32_t code;
  Bytes in;               // the caller's input buffer; null when empty
  std::uint32_t in_size;  // what the caller claims
  std::size_t out_buffer;
  std::uint32_t out_size;
  std::uint32_t error;
  std::uint32_t returned;  // kSentinel: left alone
  Bytes out_start;         // the first bytes of the output afterwards
};

TEST(DiocRequest, ServesTheDispatchThroughBoundedCopies) {
  const Bytes bios_map = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x01, 0x00, 0x00};  // 0xC0000, 0x100
  Bytes padded_map = bios_map;
  padded_map.resize(64, 0x55);
  const Bytes version = {0x04, 0x00, 0x01, 0x00};
  const DiocCase cases[] = {
      {"open touches nothing", drivers::kDiocOpen, {}, 0, 8, 8, 0, kSentinel, Bytes(8, kUntouched)},
      {"close touches nothing", drivers::kDiocClose, {}, 0, 8, 8, 0, kSentinel,
       Bytes(8, kUntouched)},
      {"version: four bytes and their count", drivers::kDiocVersion, {}, 0, 4, 4, 0, 4, version},
      {"version into a large output writes four bytes only", drivers::kDiocVersion, {}, 0, 4096,
       4096, 0, 4,
       Bytes{0x04, 0x00, 0x01, 0x00, kUntouched, kUntouched, kUntouched, kUntouched}},
      {"version into three bytes", drivers::kDiocVersion, {}, 0, 3, 3, 122, 0,
       Bytes(3, kUntouched)},
      {"an input claimed far longer than the copy is read no further", drivers::kDiocMapPhysical,
       padded_map, 0x10000, 4, 4, 0, 4, {}},
      {"a map outside the allowed windows", drivers::kDiocMapPhysical,
       Bytes{0, 0, 0, 0, 0, 0x10, 0, 0}, 8, 4, 4, 5, 0, Bytes(4, kUntouched)},
      {"a short map input", drivers::kDiocMapPhysical, Bytes(7, 0), 7, 4, 4, 87, 0,
       Bytes(4, kUntouched)},
      {"a null input with a size", drivers::kDiocMapPhysical, {}, 8, 4, 4, 87, kSentinel,
       Bytes(4, kUntouched)},
      {"an unknown code", 2, Bytes(4, 0), 4, 4, 4, 31, 0, Bytes(4, kUntouched)},
  };
  for (const DiocCase& c : cases) {
    SCOPED_TRACE(c.what);
    HardwareRig rig;
    Bytes in = c.in;
    Bytes out(c.out_buffer, kUntouched);
    std::uint32_t returned = kSentinel;
    const std::uint32_t error = drivers::ServeDiocRequest(
        rig.kernel, {c.code, in.empty() ? nullptr : in.data(), c.in_size,
                     out.empty() ? nullptr : out.data(), c.out_size, &returned});
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(returned, c.returned);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + c.out_start.size()), c.out_start);
    EXPECT_EQ(in, c.in) << "the caller's input is never written";
  }
}

TEST(DiocRequest, AMapReturnsAnAddressThatReachesTheBios) {
  HardwareRig rig;
  const Bytes map = {0x10, 0x00, 0x0C, 0x00, 0x00, 0x01, 0x00, 0x00};  // 0xC0010, 0x100
  std::uint32_t linear = 0;
  std::uint32_t returned = 0;
  EXPECT_EQ(drivers::ServeDiocRequest(
                rig.kernel, {drivers::kDiocMapPhysical, map.data(), 8,
                             reinterpret_cast<std::uint8_t*>(&linear), 4, &returned}),
            0u);
  EXPECT_EQ(returned, 4u);
  ASSERT_NE(linear, 0u);
  EXPECT_EQ(rig.process.Read8(linear), rig.bios[0x10]);
  // No count pointer is fine.
  EXPECT_EQ(drivers::ServeDiocRequest(rig.kernel, {drivers::kDiocVersion, nullptr, 0,
                                                   reinterpret_cast<std::uint8_t*>(&linear), 4,
                                                   nullptr}),
            0u);
  EXPECT_EQ(linear, drivers::kHwgt9xVersion);
}

}  // namespace
}  // namespace tunora::testing
