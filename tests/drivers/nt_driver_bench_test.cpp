// hwgate2.sys and hwgate4.sys as the Windows build made them, executed in
// the emulator on the kernel double, over the same simulated card the
// portable dispatch code is tested on.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/protocol.h"
#include "resources/embedded.h"
#include "sim/emulator/nt_kernel_double.h"
#include "tests/hwaccess/driver_request_table.h"
#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

using emulator::EmulatedNtDriver;
using emulator::NtCaller;

struct NtDriverFacts {
  DriverKind kind;
  Driver driver;
  const char* service;
  const char* file;
  const char* device;
  const char* link;
};
const NtDriverFacts kNtDrivers[] = {
    {DriverKind::kHwgate2, Driver::kHwgate2, "hwgate2", TUNORA_HWGATE2_FILE, "\\Device\\hwgate2",
     "\\dosdevices\\hwgate2"},
    {DriverKind::kHwgate4, Driver::kHwgate4, "hwgate4", TUNORA_HWGATE4_FILE, "\\Device\\HwGate4",
     "\\dosdevices\\hwgate4"},
};

std::vector<std::uint8_t> Image(DriverKind kind) {
  const std::string_view image = DriverImage(kind);
  return {image.begin(), image.end()};
}

// One machine, one loaded driver, one handle opened as an administrator.
struct NtBench {
  explicit NtBench(const NtDriverFacts& facts, std::vector<std::uint8_t> image = {})
      : driver(image.empty() ? Image(facts.kind) : image, facts.service, rig.kernel) {}
  std::uint32_t Open() {
    const auto opened = driver.Create(NtCaller::kAdministrator);
    EXPECT_EQ(opened.status, drivers::STATUS_SUCCESS);
    return opened.file;
  }
  HardwareRig rig;
  EmulatedNtDriver driver;
};

TEST(NtDriverBench, RunsTheFilesTheBuildMade) {
  for (const NtDriverFacts& facts : kNtDrivers) {
    SCOPED_TRACE(facts.service);
    std::ifstream file(facts.file, std::ios::binary);
    ASSERT_TRUE(file) << facts.file;
    const std::string built{std::istreambuf_iterator<char>(file), {}};
    EXPECT_EQ(built, DriverImage(facts.kind));
  }
}

TEST(NtDriverBench, EntryRelocatesBindsAndCreatesTheDeviceUnloadRemovesIt) {
  for (const NtDriverFacts& facts : kNtDrivers) {
    SCOPED_TRACE(facts.service);
    NtBench bench(facts);
    const emulator::LoadedPe& image = bench.driver.image();
    EXPECT_NE(image.base, image.preferred_base);
    EXPECT_GT(image.relocations_applied, 0u);
    EXPECT_FALSE(image.imports.empty());
    EXPECT_EQ(bench.driver.entry_status(), drivers::STATUS_SUCCESS);
    EXPECT_EQ(bench.driver.DeviceNames(), std::vector<std::string>{facts.device});
    EXPECT_EQ(bench.driver.LinkNames(), std::vector<std::string>{facts.link});
    EXPECT_EQ(bench.driver.PoolBlocks(), 1u);  // the device's security descriptor
    bench.driver.Unload();
    EXPECT_TRUE(bench.driver.DeviceNames().empty());
    EXPECT_TRUE(bench.driver.LinkNames().empty());
    EXPECT_EQ(bench.driver.PoolBlocks(), 0u);
  }
}

// The double binds by name, and a name it does not know stops the load.
TEST(NtDriverBench, AnImportTheDoubleDoesNotKnowFailsTheLoad) {
  std::vector<std::uint8_t> image = Image(DriverKind::kHwgate4);
  const std::string name = "ZwClose";
  const auto at = std::search(image.begin(), image.end(), name.begin(), name.end());
  ASSERT_NE(at, image.end());
  at[6] = 'X';
  HardwareRig rig;
  EXPECT_THROW(EmulatedNtDriver(image, "hwgate4", rig.kernel), emulator::EmulationFault);
}

TEST(NtDriverBench, CreateAdmitsTheSystemAndAdministratorsOnly) {
  const struct {
    NtCaller caller;
    const char* who;
    NtStatus status;
  } cases[] = {
      {NtCaller::kAdministrator, "administrator", drivers::STATUS_SUCCESS},
      {NtCaller::kLocalSystem, "LocalSystem", drivers::STATUS_SUCCESS},
      {NtCaller::kKernel, "kernel mode", drivers::STATUS_SUCCESS},
      {NtCaller::kPlainUser, "plain user", drivers::STATUS_ACCESS_DENIED},
      {NtCaller::kNoSecurityContext, "no security context", drivers::STATUS_ACCESS_DENIED},
  };
  for (const NtDriverFacts& facts : kNtDrivers) {
    NtBench bench(facts);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(facts.service) + ", " + c.who);
      try {
        EXPECT_EQ(bench.driver.Create(c.caller).status, c.status);
      } catch (const emulator::EmulationFault& fault) {
        ADD_FAILURE() << fault.what();
      }
    }
  }
}

TEST(NtDriverBench, AnswersEachRequestLikeThePortableDispatch) {
  for (const Case& c : DriverRequestCases()) {
    if (c.driver == Driver::kHwgt9x) continue;
    SCOPED_TRACE(std::string(Name(c.driver)) + ": " + c.what);
    NtBench bench(kNtDrivers[c.driver == Driver::kHwgate2 ? 0 : 1]);
    Bytes buffer = c.buffer;
    const auto result = bench.driver.DeviceControl(bench.Open(), c.code, buffer, c.in, c.out);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.bytes_returned, c.returned);
    EXPECT_EQ(buffer, c.expected);
    EXPECT_EQ(bench.driver.OpenKernelHandles(), 0u);
  }
}

// What the allow-list keeps from a caller: other devices' and other
// registers' configuration writes, and every range but the BIOS and the
// card's window. Nothing reaches the bus or the caller's address space.
TEST(NtDriverBench, RefusesWhatTheAllowListDoesNotServe) {
  const auto map = [](std::uint32_t space, std::uint32_t address, std::uint32_t length) {
    const PhysMapRecordNt record = PackPhysMapRequestNt({1, 0, address, space, length});
    return Bytes(record.begin(), record.end());
  };
  const struct {
    const char* what;
    std::uint32_t code;
    Bytes request;
    std::uint32_t out;
  } cases[] = {
      {"a write to another maker's device", kWrite, Record(0, 7, 0x04, 2, 0, 0), 12},
      {"a write to the card's window base", kWrite, Record(1, 0, 0x14, 2, 0, 0), 12},
      {"a map of ordinary memory", kMap, map(0, 0x100000, 0x1000), 4},
      {"a map running past the BIOS window", kMap, map(0, 0xCF000, 0x2000), 4},
      {"a map of another device's window", kMap, map(0, kRigForeignBase, 0x100), 4},
      {"a map of I/O space", kMap, map(1, 0xCF8, 8), 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    NtBench bench(kNtDrivers[1]);
    Bytes buffer = c.request;
    const auto result = bench.driver.DeviceControl(
        bench.Open(), c.code, buffer, static_cast<std::uint32_t>(c.request.size()), c.out);
    EXPECT_EQ(result, (drivers::DispatchResult{kDenied, 0}));
    EXPECT_TRUE(bench.rig.bus.ConfigWrites().empty());
    EXPECT_EQ(bench.rig.process.ViewCount(), 0u);
  }
}

// The view lands in the caller's address space and shows the machine's
// own BIOS and card; it stays until the caller's process ends.
TEST(NtDriverBench, MapsIntoTheCallerUntilTheProcessEnds) {
  NtBench bench(kNtDrivers[1]);
  const std::uint32_t file = bench.Open();
  const auto map = [&](std::uint32_t address, std::uint32_t length) {
    const PhysMapRecordNt record = PackPhysMapRequestNt({1, 0, address, 0, length});
    Bytes buffer(record.begin(), record.end());
    const auto result = bench.driver.DeviceControl(file, kMap, buffer, 20, 4);
    EXPECT_EQ(result, (drivers::DispatchResult{kOk, 4}));
    return static_cast<std::uint32_t>(buffer[0] | buffer[1] << 8 | buffer[2] << 16 |
                                      static_cast<std::uint32_t>(buffer[3]) << 24);
  };
  const std::uint32_t bios = map(0xC0000, 8191);
  for (std::uint32_t i = 0; i < 127; ++i)
    ASSERT_EQ(bench.rig.process.Read8(bios + i), bench.rig.bios[i]);
  EXPECT_EQ(bench.driver.last_view().inherit, 1u);              // ViewShare
  EXPECT_EQ(bench.driver.last_view().protect, 0x04u | 0x200u);  // PAGE_READWRITE | PAGE_NOCACHE
  const std::uint32_t inside = map(0xC0123, 16);
  EXPECT_EQ(bench.rig.process.Read8(inside), bench.rig.bios[0x123]);
  const std::uint32_t window = map(kRigWindowBase, 0xFFFF);
  bench.rig.process.Write8(window + sim::kDacIndexOffset, sim::kDacPllN);
  EXPECT_EQ(bench.rig.process.Read8(window + sim::kDacDataOffset),
            bench.rig.card.Dac(sim::kDacPllN));
  EXPECT_EQ(bench.driver.OpenKernelHandles(), 0u);
  EXPECT_EQ(bench.rig.process.ViewCount(), 3u);
  bench.rig.process.UnmapAll();
  EXPECT_THROW(bench.rig.process.Read8(bios), sim::ProcessMemoryFault);
}

TEST(NtDriverBench, ServesTwoHandlesAtOnce) {
  for (const NtDriverFacts& facts : kNtDrivers) {
    SCOPED_TRACE(facts.service);
    NtBench bench(facts);
    const std::uint32_t first = bench.Open();
    const std::uint32_t second = bench.Open();
    ASSERT_NE(first, second);
    const auto read = [&](std::uint32_t file) {
      Bytes buffer = Record(1, 0, 0, 2, kF, kF);
      EXPECT_EQ(bench.driver.DeviceControl(file, kRead, buffer, 12, 12).status, kOk);
      return buffer;
    };
    EXPECT_EQ(read(first), read(second));
    EXPECT_EQ(bench.driver.Close(first), kOk);
    EXPECT_EQ(read(second), Record(1, 0, 0, 2, 0x102B, 0x0525));
    EXPECT_EQ(bench.driver.Close(second), kOk);
  }
}

// Input and output buffers shorter than, exactly and longer than the
// record, on each request the drivers serve.
TEST(NtDriverBench, TakesShortExactAndOverlongBuffers) {
  const auto map = PackPhysMapRequestNt({1, 0, 0xC0000, 0, 0x100});
  const Bytes map_record(map.begin(), map.end());
  const struct {
    const char* what;
    int driver;
    std::uint32_t code;
    Bytes request;
    std::uint32_t in, out;
    NtStatus status;
  } cases[] = {
      {"hwgate2 read, short output", 0, kRead, Record(1, 0, 0, 2, 0, 0), 12, 11, kTooSmall},
      {"hwgate2 read, exact", 0, kRead, Record(1, 0, 0, 2, 0, 0), 12, 12, kOk},
      {"hwgate2 read, overlong output", 0, kRead, Record(1, 0, 0, 2, 0, 0), 12, 4096, kOk},
      {"hwgate4 read, short output", 1, kRead, Record(1, 0, 0, 2, 0, 0), 12, 11, kTooSmall},
      {"hwgate4 read, overlong both", 1, kRead, Record(1, 0, 0, 2, 0, 0), 64, 64, kOk},
      {"hwgate4 write, short output", 1, kWrite, Record(1, 0, 0x40, 2, 5, 0), 12, 11, kTooSmall},
      {"hwgate4 write, overlong output", 1, kWrite, Record(1, 0, 0x40, 2, 5, 0), 12, 4096, kOk},
      {"hwgate4 map, short input", 1, kMap, map_record, 19, 4, kBadParameter},
      {"hwgate4 map, short output", 1, kMap, map_record, 20, 3, kBadParameter},
      {"hwgate4 map, exact", 1, kMap, map_record, 20, 4, kOk},
      {"hwgate4 map, overlong input and output", 1, kMap, map_record, 64, 64, kOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    HardwareRig portable_rig;
    NtBench bench(kNtDrivers[c.driver]);
    Bytes emulated = c.request;
    emulated.resize(std::max(c.in, c.out), 0);
    Bytes portable = emulated;
    const auto result = bench.driver.DeviceControl(bench.Open(), c.code, emulated, c.in, c.out);
    const auto expected =
        c.driver == 0
            ? drivers::Hwgate2DeviceControl(portable_rig.kernel, c.code, portable, c.in, c.out)
            : drivers::Hwgate4DeviceControl(portable_rig.kernel, c.code, portable, c.in, c.out);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result, expected);
    if (c.code != kMap) {
      EXPECT_EQ(emulated, portable);
    }
    EXPECT_LE(result.bytes_returned, c.out);
  }
}

}  // namespace
}  // namespace tunora::testing
