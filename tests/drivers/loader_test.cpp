// The emulator's loaders and port hooks against damaged input: a driver
// file whose header sizes are out of all proportion, or emulated code that
// touches a port the machine refuses, must end in a fault the caller can
// report, never in a crash, an overrun or an allocation of gigabytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "resources/embedded.h"
#include "sim/emulator/image_bytes.h"
#include "sim/emulator/le_image.h"
#include "sim/emulator/nt_kernel_double.h"
#include "sim/emulator/vxd_double.h"
#include "sim/emulator/x86_emulator.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using emulator::MalformedImage;

std::vector<std::uint8_t> Image(DriverKind kind) {
  const std::string_view image = DriverImage(kind);
  return {image.begin(), image.end()};
}

std::uint32_t Get32(const std::vector<std::uint8_t>& file, std::size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | std::uint32_t{file[at + 3]} << 24;
}
void Put32(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(DriverLoaders, RefuseHeaderSizesOutOfProportion) {
  // Fields of the LE header (from its start) and of the first object entry.
  constexpr std::size_t kPageCount = 0x14, kObjectTable = 0x40, kObjectCount = 0x44;
  constexpr std::size_t kObjectSize = 0, kObjectPages = 16;
  const struct {
    const char* what;
    std::size_t field;  // from the LE header, or from the first object entry
    bool in_object;
    std::uint32_t value;
  } le_cases[] = {
      {"a page count that wraps", kPageCount, false, 0xFFFFFFFFu},
      {"a page count far past the file", kPageCount, false, 0x00FFFFFFu},
      {"an object count far past any VxD", kObjectCount, false, 0x0000FFFFu},
      {"an object's page count that wraps in bytes", kObjectPages, true, 0x00100000u},
      {"an object's size that wraps when rounded", kObjectSize, true, 0xFFFFF001u},
  };
  const std::vector<std::uint8_t> vxd = Image(DriverKind::kHwgt9x);
  const std::uint32_t le = Get32(vxd, 0x3C);
  for (const auto& c : le_cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::uint8_t> damaged = vxd;
    const std::size_t base = c.in_object ? le + Get32(vxd, le + kObjectTable) : le;
    Put32(damaged, base + c.field, c.value);
    emulator::X86Emulator emulator;
    EXPECT_THROW(emulator::LoadLe(emulator, damaged, emulator::kVxdObjectBase), MalformedImage);
  }

  // SizeOfImage in the PE32 optional header: 4 GB asked of a 1-page file.
  std::vector<std::uint8_t> sys = Image(DriverKind::kHwgate4);
  Put32(sys, Get32(sys, 0x3C) + 24 + 56, 0xFFFFE000u);
  HardwareRig rig;
  EXPECT_THROW(emulator::EmulatedNtDriver(sys, "hwgate4", rig.kernel), MalformedImage);
}

// A port the machine refuses stops the emulated code with the refusal; it
// must not unwind through the emulator's own frames.
TEST(DriverLoaders, APortRefusalEndsTheCallWithItsReason) {
  struct Refusing : emulator::PortHandler {
    explicit Refusing(emulator::X86Emulator& e) : emulator(e) {}
    std::uint32_t In(std::uint16_t, unsigned) override { emulator.Fail("in refused"); }
    void Out(std::uint16_t, unsigned, std::uint32_t) override { emulator.Fail("out refused"); }
    emulator::X86Emulator& emulator;
  };
  constexpr std::uint32_t kCode = 0x00400000;
  const struct {
    const char* what;
    std::vector<std::uint8_t> code;
  } cases[] = {
      {"in refused", {0xE4, 0x60, 0xC3}},               // in al, 60h; ret
      {"out refused", {0xB0, 0x01, 0xE6, 0x80, 0xC3}},  // mov al, 1; out 80h, al; ret
  };
  for (const auto& c : cases) {
    emulator::X86Emulator emulator;
    Refusing ports(emulator);
    emulator.SetPortHandler(&ports);
    emulator.Map(kCode, 0x1000);
    emulator.Write(kCode, c.code);
    try {
      emulator.Call(kCode, {}, false);
      ADD_FAILURE() << c.what << ": the call returned";
    } catch (const emulator::EmulationFault& fault) {
      EXPECT_NE(std::string_view(fault.what()).find(c.what), std::string_view::npos)
          << fault.what();
    }
  }
}

}  // namespace
}  // namespace tunora::testing
