// Hwgt9x.vxd as the Windows build made it, loaded from its LE file and run
// in the emulator as the 9x device loader and VWIN32 drive it, over the
// same simulated card the portable dispatch code is tested on.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hwaccess/drivers/dioc.h"
#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/protocol.h"
#include "resources/embedded.h"
#include "sim/emulator/vxd_double.h"
#include "tests/hwaccess/driver_request_table.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using emulator::EmulatedVxd;

std::vector<std::uint8_t> VxdImage() {
  const std::string_view image = DriverImage(DriverKind::kHwgt9x);
  return {image.begin(), image.end()};
}

struct VxdBench {
  VxdBench() : vxd(VxdImage(), rig.kernel) {}
  HardwareRig rig;
  EmulatedVxd vxd;
};

TEST(VxdBench, RunsTheFileTheBuildMade) {
  std::ifstream file(TUNORA_HWGT9X_FILE, std::ios::binary);
  ASSERT_TRUE(file) << TUNORA_HWGT9X_FILE;
  const std::string built{std::istreambuf_iterator<char>(file), {}};
  EXPECT_EQ(built, DriverImage(DriverKind::kHwgt9x));
}

// The loader places the objects away from their recorded bases, so every
// fixup from the file's own tables must land for the device to run at all.
TEST(VxdBench, LoadsWithItsFixupsInitialisesOpensAndExits) {
  VxdBench bench;
  const emulator::LoadedLe& image = bench.vxd.image();
  EXPECT_EQ(image.module_name, "HWGT9X");
  EXPECT_EQ(image.exports, std::vector<std::string>{"HWGT9X_DDB"});
  EXPECT_EQ(bench.vxd.ddb_name(), "HWGT9X");
  ASSERT_FALSE(image.objects.empty());
  for (const emulator::LeObject& object : image.objects) {
    EXPECT_NE(object.address, object.relocation_base);
  }
  EXPECT_GT(image.fixups_applied, 0u);
  EXPECT_TRUE(bench.vxd.initialised());
  Bytes none;
  EXPECT_EQ(bench.vxd.DeviceIoControl(kDiocOpen, none, 0, 0).error, 0u);
  EXPECT_EQ(bench.vxd.DeviceIoControl(kDiocClose, none, 0, 0).error, 0u);
  EXPECT_TRUE(bench.vxd.Exit());
}

TEST(VxdBench, ReportsTheVersionTheProgramsRequire) {
  VxdBench bench;
  Bytes buffer(4, 0);
  const auto reply = bench.vxd.DeviceIoControl(kDiocVersion, buffer, 0, 4);
  EXPECT_EQ(reply.error, 0u);
  EXPECT_EQ(reply.bytes_returned, 4u);
  EXPECT_EQ(buffer, (Bytes{4, 0, 1, 0}));  // 0x10004
}

TEST(VxdBench, AnswersEachRequestLikeThePortableDispatch) {
  for (const Case& c : DriverRequestCases()) {
    if (c.driver != Driver::kHwgt9x) continue;
    SCOPED_TRACE(c.what);
    VxdBench bench;
    Bytes buffer = c.buffer;
    const auto reply = bench.vxd.DeviceIoControl(c.code, buffer, c.in, c.out);
    EXPECT_EQ(reply.error, drivers::Win32ErrorOf(c.status));
    EXPECT_EQ(reply.bytes_returned, c.returned);
    EXPECT_EQ(buffer, c.expected);
  }
}

// A map through the VMM's physical-to-linear service, answered by the
// machine's own memory: the BIOS shows, and the card's window reaches the
// card. A range off the allow-list is refused before the VMM is asked.
TEST(VxdBench, MapsThroughTheVmmIntoTheSharedArena) {
  VxdBench bench;
  const auto map = [&](std::uint32_t physical, std::uint32_t length, drivers::NtStatus status) {
    const PhysMapRecord9x record = PackPhysMapRequest9x({physical, length});
    Bytes buffer(record.begin(), record.end());
    const auto result = bench.vxd.Dispatch(kDiocMapPhysical, buffer, 8, 4);
    EXPECT_EQ(result.status, status);
    return static_cast<std::uint32_t>(buffer[0] | buffer[1] << 8 | buffer[2] << 16 |
                                      static_cast<std::uint32_t>(buffer[3]) << 24);
  };
  const std::uint32_t bios = map(0xC0000, 8191, kOk);
  for (std::uint32_t i = 0; i < 127; ++i) {
    ASSERT_EQ(bench.rig.process.Read8(bios + i), bench.rig.bios[i]);
  }
  const std::uint32_t window = map(kRigWindowBase, 0x4000, kOk);
  bench.rig.process.Write8(window + sim::kDacIndexOffset, sim::kDacPllM);
  EXPECT_EQ(bench.rig.process.Read8(window + sim::kDacDataOffset),
            bench.rig.card.Dac(sim::kDacPllM));
  EXPECT_EQ(bench.vxd.vmm_calls(), 2u);
  map(0x100000, 0x1000, kDenied);
  map(kRigForeignBase, 0x100, kDenied);
  EXPECT_EQ(bench.vxd.vmm_calls(), 2u);
  bench.rig.kernel.SetMappingFails(true);
  EXPECT_EQ(map(0xC0000, 8191, drivers::STATUS_UNSUCCESSFUL), 0xC0000u)  // record left as sent
      << "a failed map leaves the output as the caller filled it";
}

// Short output and input buffers for each request, and long ones, against
// the portable code of the same W32_DEVICEIOCONTROL.
TEST(VxdBench, TakesShortAndLongBuffers) {
  const PhysMapRecord9x map = PackPhysMapRequest9x({0xC0000, 0x100});
  const Bytes map_record(map.begin(), map.end());
  const struct {
    const char* what;
    std::uint32_t code;
    Bytes request;
    std::uint32_t in, out;
    drivers::NtStatus status;
  } cases[] = {
      {"version, no output", kDiocVersion, Bytes{}, 0, 0, kTooSmall},
      {"version, 3-byte output", kDiocVersion, Bytes(3, 0), 0, 3, kTooSmall},
      {"version, 64-byte output", kDiocVersion, Bytes(64, 0), 0, 64, kOk},
      {"map, 7-byte input", kDiocMapPhysical, map_record, 7, 4, kBadParameter},
      {"map, 3-byte output", kDiocMapPhysical, map_record, 8, 3, kBadParameter},
      {"map, 64-byte input and output", kDiocMapPhysical, map_record, 64, 64, kOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    VxdBench bench;
    HardwareRig portable_rig;
    Bytes emulated = c.request;
    emulated.resize(std::max(c.in, c.out), 0);
    Bytes portable = emulated;
    const auto reply = bench.vxd.DeviceIoControl(c.code, emulated, c.in, c.out);
    std::uint32_t returned = 0;
    const std::uint32_t error = drivers::ServeDiocRequest(
        portable_rig.kernel, {c.code, portable.data(), c.in, portable.data(), c.out, &returned});
    EXPECT_EQ(reply.error, drivers::Win32ErrorOf(c.status));
    EXPECT_EQ(reply.error, error);
    EXPECT_EQ(reply.bytes_returned, returned);
    EXPECT_EQ(emulated, portable);
  }
}

}  // namespace
}  // namespace tunora::testing
