// The drivers' checks against a kernel that does not behave like the
// simulated PC's: translations that move addresses, mappings that fail or
// come back misplaced, configuration ports that answer junk. Whatever the
// kernel does, nothing outside the allowed windows gets mapped or written.
#include "tests/support/misbehaving_kernel.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/driver_records.h"
#include "hwaccess/protocol.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Fault = MisbehavingKernel::Fault;
using drivers::NtStatus;

constexpr NtStatus kOk = drivers::STATUS_SUCCESS;
constexpr NtStatus kDenied = drivers::STATUS_ACCESS_DENIED;
constexpr NtStatus kFailed = drivers::STATUS_UNSUCCESSFUL;

struct Request {
  bool nine_x;  // Hwgt9x, else hwgate4
  std::uint32_t code;
  Bytes bytes;
  std::uint32_t out;
};

Request NtMap(std::uint32_t space, std::uint32_t address, std::uint32_t length) {
  const PhysMapRecordNt record = PackPhysMapRequestNt({1, 0, address, space, length});
  return {false, kIoctlMapPhysical, {record.begin(), record.end()}, 4};
}

Request NinexMap(std::uint32_t address, std::uint32_t length) {
  const PhysMapRecord9x record = PackPhysMapRequest9x({address, length});
  return {true, kDiocMapPhysical, {record.begin(), record.end()}, 4};
}

Request Write(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  const PciConfigRecord record = PackPciConfigRequest({bus, device, reg, 2, 0x0F0F, 0});
  return {false, kIoctlConfigWrite, {record.begin(), record.end()}, 12};
}

// A translation that moves addresses down by `distance`.
constexpr std::uint64_t Down(std::uint64_t distance) { return 0 - distance; }

struct Case {
  const char* what;
  Fault fault;
  std::uint64_t amount;
  Request request;
  NtStatus status;
  std::optional<std::uint64_t> mapped;  // the physical start the driver asked to map
};

constexpr std::uint32_t kMakerEverywhere = 0x102B102B;  // an I/O window at 0x102B102B

const Case kCases[] = {
    {"the BIOS translated into RAM", Fault::kShiftTranslation, 0x40000, NtMap(0, 0xC0000, 0x100),
     kDenied, std::nullopt},
    {"the BIOS translated onto the interrupt table", Fault::kShiftTranslation, Down(0xC0000),
     NtMap(0, 0xC0000, 0x100), kDenied, std::nullopt},
    {"the BIOS window's end translated past it", Fault::kShiftTranslation, 0x100,
     NtMap(0, 0xCFF00, 0x100), kDenied, std::nullopt},
    {"the card window translated onto another vendor's", Fault::kShiftTranslation,
     Down(kRigWindowBase - kRigForeignBase), NtMap(0, kRigWindowBase, 0x4000), kDenied,
     std::nullopt},
    {"a translation inside the BIOS window maps the translated start", Fault::kShiftTranslation,
     Down(0x1000), NtMap(0, 0xC1000, 0x100), kOk, 0xC0000},
    {"a translation onto the second board's window", Fault::kShiftTranslation,
     kRigSecondWindowBase - kRigWindowBase, NtMap(0, kRigWindowBase, 0x4000), kOk,
     kRigSecondWindowBase},
    {"untranslated memory does not ask the bus", Fault::kShiftTranslation, 0x40000,
     NtMap(2, 0xC0000, 0x100), kOk, 0xC0000},
    {"a range translated into one address is empty", Fault::kMoveTranslation, 0xC0000,
     NtMap(0, 0xC0000, 0x100), kFailed, std::nullopt},
    {"a failed translation", Fault::kFailTranslation, 0, NtMap(0, 0xC0000, 0x100), kFailed,
     std::nullopt},
    {"a failed section view", Fault::kFailMapping, 0, NtMap(0, 0xC0000, 0x100), kFailed, 0xC0000},
    {"a section offset above the start", Fault::kMisroundSection, 0x2000, NtMap(0, 0xC0123, 0x10),
     kFailed, 0xC0123},
    {"a failed linear mapping", Fault::kFailMapping, 0, NinexMap(0xC0000, 0x100), kFailed, 0xC0000},

    {"the maker's id with window base 0 opens no low memory", Fault::kJunkPortReads, 0x102B,
     NtMap(0, 0, 0x1000), kDenied, std::nullopt},
    {"the maker's id with window base 0 opens no low memory to Hwgt9x", Fault::kJunkPortReads,
     0x102B, NinexMap(0, 0x400), kDenied, std::nullopt},
    {"all ones hide the card window", Fault::kJunkPortReads, 0xFFFFFFFF,
     NtMap(0, kRigWindowBase, 0x4000), kDenied, std::nullopt},
    {"zeros hide the card window from Hwgt9x", Fault::kJunkPortReads, 0,
     NinexMap(kRigWindowBase, 0x4000), kDenied, std::nullopt},
    {"the BIOS window needs no port", Fault::kJunkPortReads, 0xFFFFFFFF, NtMap(0, 0xC0000, 0x100),
     kOk, 0xC0000},
    {"the maker everywhere keeps RAM closed", Fault::kJunkPortReads, kMakerEverywhere,
     NtMap(0, 0x100000, 0x1000), kDenied, std::nullopt},
    // Every register reads 0x102B102B: bit 0 puts each window in I/O space.
    {"the maker everywhere opens no window, each reads as I/O space", Fault::kJunkPortReads,
     kMakerEverywhere, NtMap(0, 0x102B0000, 0x4000), kDenied, std::nullopt},
    {"the maker everywhere allows no window-base write", Fault::kJunkPortReads, kMakerEverywhere,
     Write(0, 0, 0x14), kDenied, std::nullopt},
    {"the maker everywhere allows option-register writes", Fault::kJunkPortReads, kMakerEverywhere,
     Write(0, 0, 0x40), kOk, std::nullopt},
    {"all ones allow no write to the card", Fault::kJunkPortReads, 0xFFFFFFFF, Write(1, 0, 0x40),
     kDenied, std::nullopt},
};

TEST(MisbehavingKernel, MapsAndWritesOnlyWhatThePolicyAllows) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    HardwareRig rig;
    MisbehavingKernel kernel(rig.kernel);
    kernel.fault = c.fault;
    kernel.amount = c.amount;
    Bytes buffer = c.request.bytes;
    const auto in = static_cast<std::uint32_t>(buffer.size());
    const drivers::DispatchResult result =
        c.request.nine_x
            ? drivers::Hwgt9xDeviceControl(kernel, c.request.code, buffer, in, c.request.out)
            : drivers::Hwgate4DeviceControl(kernel, c.request.code, buffer, in, c.request.out);
    const bool served = c.status == kOk;
    EXPECT_EQ(result, (drivers::DispatchResult{c.status, served ? c.request.out : 0}));
    if (c.mapped) {
      ASSERT_EQ(kernel.mappings.size(), 1u);
      EXPECT_EQ(kernel.mappings[0].physical, *c.mapped);
      if (served) {
        const std::uint32_t reply = drivers::LoadLe32(buffer, 0);
        EXPECT_EQ(rig.process.Read8(reply), rig.physical.Read8(*c.mapped));
      }
    } else {
      EXPECT_TRUE(kernel.mappings.empty());
    }
    const bool wrote = served && c.request.code == kIoctlConfigWrite;
    EXPECT_EQ(rig.bus.ConfigWrites().size(), wrote ? 1u : 0u);
  }
}

TEST(MisbehavingKernel, MemoryTranslatedIntoIoSpaceReturnsThePortAndMapsNothing) {
  HardwareRig rig;
  MisbehavingKernel kernel(rig.kernel);
  kernel.fault = Fault::kTranslateToIo;
  Bytes buffer = NtMap(0, 0xC0000, 0x100).bytes;
  EXPECT_EQ(drivers::Hwgate4DeviceControl(kernel, kIoctlMapPhysical, buffer, 20, 4),
            (drivers::DispatchResult{kOk, 4}));
  EXPECT_EQ(drivers::LoadLe32(buffer, 0), 0xC0000u);
  EXPECT_TRUE(kernel.mappings.empty());
}

}  // namespace
}  // namespace tunora::testing
