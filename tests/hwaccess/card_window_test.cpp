// Register access through a mapped card window, on the simulated card.
#include "hwaccess/card_window.h"

#include <gtest/gtest.h>

#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {
namespace {

// Counts the zero-length sleeps, each of which moves the tick count by
// `ms_per_yield`; nothing else is used.
class YieldCounter : public System {
 public:
  OsVersion GetVersion() override { return {}; }
  int GetSystemMetrics(int) override { return 0; }
  void Sleep(std::uint32_t milliseconds) override {
    if (milliseconds == 0) {
      ++yields;
      tick += ms_per_yield;
    } else {
      slept_ms += milliseconds;
    }
  }
  std::uint32_t GetTickCount() override { return tick; }
  bool Beep(std::uint32_t, std::uint32_t) override { return false; }
  bool PlaySoundFile(std::string_view) override { return false; }
  bool ShellOpen(std::string_view, std::string_view) override { return false; }
  bool EnableShutdownPrivilege() override { return false; }
  bool ExitWindows(std::uint32_t) override { return false; }
  void WriteConsoleLine(std::string_view) override {}

  int yields = 0;
  std::uint32_t slept_ms = 0;
  std::uint32_t tick = 0;
  std::uint32_t ms_per_yield = 0;
};

class CardWindow : public ::testing::Test {
 protected:
  std::uint32_t Map() { return *rig.process.MapPhysical(kRigWindowBase, 0x4000); }

  // Status reads: index writes of 0x2F followed by a data read.
  int StatusReads() const {
    int count = 0;
    for (const auto& write : rig.card.Writes()) {
      if (write.file == sim::RegisterFile::kWindow && write.reg == 0x3C00 && write.value == 0x2F) {
        ++count;
      }
    }
    return count;
  }

  HardwareRig rig;
  YieldCounter system;
};

TEST_F(CardWindow, IndexedAccessGoesThroughIndexAndData) {
  const std::uint32_t window = Map();
  EXPECT_EQ(IndexedRead(rig.process, window, 0x2C), 6);
  IndexedWrite(rig.process, window, 0x2D, 36);
  EXPECT_EQ(rig.card.Dac(0x2D), 36);
  EXPECT_EQ(WindowRead8(rig.process, window, 0x3C00), 0x2D);  // the index stays selected
  ASSERT_GE(rig.card.Writes().size(), 2u);
  const auto& last = rig.card.Writes().back();
  EXPECT_EQ(last.file, sim::RegisterFile::kDac);
  EXPECT_EQ(last.reg, 0x2D);
  EXPECT_EQ(last.value, 36);
}

TEST_F(CardWindow, SequencerAccessBlanksTheScreen) {
  const std::uint32_t window = Map();
  SequencerWrite(rig.process, window, 1,
                 static_cast<std::uint8_t>(SequencerRead(rig.process, window, 1) | 0x20));
  EXPECT_TRUE(rig.card.ScreenBlanked());
  EXPECT_EQ(SequencerRead(rig.process, window, 1), 0x20);
}

TEST_F(CardWindow, PlainBytesReadBackWhatWasWritten) {
  const std::uint32_t window = Map();
  WindowWrite8(rig.process, window, 0x100, 0x5A);
  EXPECT_EQ(WindowRead8(rig.process, window, 0x100), 0x5A);
}

TEST_F(CardWindow, WaitReturnsAtOnceWhenTheBitIsSet) {
  const std::uint32_t window = Map();
  EXPECT_TRUE(WaitForPllLock(rig.process, system, window));
  EXPECT_EQ(StatusReads(), 1);
  EXPECT_EQ(system.yields, 1);  // a yield follows every read, the last one too
  EXPECT_EQ(system.slept_ms, 0u);
}

TEST_F(CardWindow, WaitReadsUntilThePllLocks) {
  const std::uint32_t window = Map();
  rig.card.SetPllLockReads(5);
  IndexedWrite(rig.process, window, 0x2C, 5);
  EXPECT_TRUE(WaitForPllLock(rig.process, system, window));
  EXPECT_EQ(StatusReads(), 6);
  EXPECT_EQ(system.yields, 6);
}

// The bound is time by the tick count, however long a yield takes, also
// across the tick count's wrap.
TEST_F(CardWindow, WaitGivesUpAtItsBoundInTime) {
  struct Case {
    const char* what;
    std::uint32_t start, ms_per_yield;
    int reads;
  };
  const Case cases[] = {
      {"quick yields", 1000, 1, 250},
      {"a loaded machine: each yield a time slice", 1000, 20, 13},
      {"across the wrap", 0xFFFFFF00u, 1, 250},
  };
  const std::uint32_t window = Map();
  rig.card.SetPllNeverLocks(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    rig.card.ClearWrites();
    system.tick = c.start;
    system.ms_per_yield = c.ms_per_yield;
    EXPECT_FALSE(WaitForPllLock(rig.process, system, window));
    EXPECT_EQ(StatusReads(), c.reads);
    EXPECT_GE(system.tick - c.start, kLockWaitMs);
    EXPECT_LT(system.tick - c.start, kLockWaitMs + c.ms_per_yield);
  }
}

}  // namespace
}  // namespace tunora::testing
