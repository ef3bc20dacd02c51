// The clock operations: the pure rules as tables, and programming on the
// simulated card of each road, checked register by register in time.
#include "hwaccess/clock.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/machine/sim_process.h"
#include "tests/support/fake_ui.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

struct RatedCase {
  const char* what;
  ChipFamily family;
  std::uint8_t version, f, s, t, a, quarter;
  std::size_t readable;
  int rated;
};

TEST(RatedClock, FromTheParameterBlock) {
  const RatedCase cases[] = {
      {"QX2 block", kFamilyQx2, 4, 0, 0, 0, 0, 50, 77, 200},
      {"QX2 block cut off before its byte 76", kFamilyQx2, 4, 0, 0, 0, 0, 50, 76, 100},
      {"QX2 card with a QX1 block", kFamilyQx2, 3, 0, 0x5A, 0xFF, 0, 50, 77, 100},
      {"QX1, S and T unset, x1.5", kFamilyQx1Agp, 3, 1, 255, 255, 130, 0, 77, 195},
      {"QX1, S only", kFamilyQx1Agp, 3, 0, 0x5A, 0xFF, 0, 0, 77, 180},
      {"QX1, S adjusted by T's high nibble", kFamilyQx1Agp, 3, 0, 0x5A, 0x8F, 0, 0, 77, 152},
      {"QX1, T only: A adjusted", kFamilyQx1Agp, 3, 0, 255, 0xF0, 100, 0, 77, 140},
      {"QX1, adjusted S is 255: A instead", kFamilyQx1Agp, 3, 0, 29, 0xF0, 100, 0, 77, 140},
      {"QX1 block of another version", kFamilyQx1Agp, 4, 0, 0x5A, 0xFF, 0, 0, 77, 100},
      {"QX2E has no rated clock", kFamilyQx2e, 4, 0, 0, 0, 0, 50, 77, 100},
      {"nothing readable", kFamilyQx2, 4, 0, 0, 0, 0, 50, 0, 100},
  };
  for (const RatedCase& c : cases) {
    ParameterBlock block;
    block.bytes[5] = c.version;
    block.bytes[52] = c.f;
    block.bytes[60] = c.s;
    block.bytes[62] = c.t;
    block.bytes[44] = c.a;
    block.bytes[76] = c.quarter;
    block.readable = c.readable;
    EXPECT_EQ(RatedClockFromBlock(block, c.family), c.rated) << c.what;
  }
}

TEST(DividerSearch, FirstMatchInSearchOrder) {
  struct Case {
    int target;
    std::optional<DividerSet> found;
  };
  const Case cases[] = {
      {166, DividerSet{5, 36, 0}},   {200, DividerSet{6, 51, 0}}, {228, DividerSet{8, 75, 0}},
      {260, DividerSet{10, 105, 0}}, {134, std::nullopt},         {161, std::nullopt},
      {268, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(SearchDividers(c.target), c.found) << c.target;
  // Below 6 MHz only a post-divider reaches the target.
  const std::optional<DividerSet> slow = SearchDividers(5);
  ASSERT_TRUE(slow.has_value());
  EXPECT_NE(slow->p, 0);
  // Whatever is found lies in [target, target + 1) MHz, and passes the
  // limit check even at limit = target (the slider's top position).
  for (int target = 20; target <= 400; ++target) {
    if (const auto set = SearchDividers(target)) {
      const double mhz = DividerClockHz(*set) / 1e6;
      EXPECT_TRUE(mhz >= target && mhz < target + 1) << target;
      EXPECT_TRUE(WithinLimit(*set, target)) << target;
    }
  }
}

TEST(DividerSearch, LimitCheckSumsTheDividerTerms) {
  // 27 x 37 / (6 + 1) = 142.7 MHz.
  EXPECT_TRUE(WithinLimit({5, 36, 0}, 143));
  EXPECT_FALSE(WithinLimit({5, 36, 0}, 142));
}

TEST(ClockRatios, FromTheOptionRegisters) {
  struct Case {
    const char* what;
    bool qx1;
    std::uint32_t a, b;  // QX1: 0x40, 0x50; QX2: 0x54
    float r1, r2, r3;
  };
  const Case cases[] = {
      {"QX1 defaults", true, 0, 0, 2.0f, 2.0f, 2.0f},
      {"QX1 option flags", true, 0x18, 1u << 17, 1.5f, 1.5f, 1.5f},
      {"QX1 overrides win", true, 0x18, 0x7u << 14, 1.0f, 1.0f, 1.0f},
      {"QX2 codes 0 1 2", false, 0, (1u << 13) | (2u << 23), 3.0f, 2.5f, 2.25f},
      {"QX2 codes 3 4 7", false, (3u << 3) | (4u << 13) | (7u << 23), 0, 2.0f, 1.5f, 1.0f},
  };
  for (const Case& c : cases) {
    const ClockRatios r = c.qx1 ? Qx1Ratios(c.a, c.b) : Qx2Ratios(c.a | c.b);
    EXPECT_EQ(r.r1, c.r1) << c.what;
    EXPECT_EQ(r.r2, c.r2) << c.what;
    EXPECT_EQ(r.r3, c.r3) << c.what;
  }
}

// One run of tunora's operations on a simulated PC.
class ClockBench {
 public:
  explicit ClockBench(const sim::Profile& profile, ChipFamily family)
      : test_machine_(profile),
        machine_(test_machine_.Open()),
        process_(*machine_, ui),
        hw{process_.platform(), TunoraDrivers()},
        target{family, 0} {
    hw.road = RoadOf(*machine_);
  }

  sim::CardModel& card() { return *machine_->cards().at(0); }
  sim::PciBus& bus() { return machine_->bus(); }
  std::uint32_t Option() { return bus().ConfigRead32(1, 0, 0, 0x40); }

  FakeUi ui;

 private:
  TestMachine test_machine_;
  std::unique_ptr<sim::Machine> machine_;
  sim::SimProcess process_;

 public:
  HwContext hw;
  ClockTarget target;
};

struct Road {
  const char* profile;
  ChipFamily family;
  int rated;
  int current;
};
const Road kRoads[] = {{"win2000-qx2max", kFamilyQx2, 200, 200},
                       {"win98-qx1", kFamilyQx1Agp, 166, 166},
                       {"nt4-qx2", kFamilyQx2, 0, 0}};

class ClockOnRoad : public ::testing::TestWithParam<Road> {};

TEST_P(ClockOnRoad, ReadersAgreeWithTheCard) {
  ClockBench bench(Builtin(GetParam().profile), GetParam().family);
  const int card_mhz = static_cast<int>(bench.card().ClockMhz());
  EXPECT_EQ(ReadCurrentClock(bench.hw, bench.target), card_mhz);
  EXPECT_EQ(ReadClockRatios(bench.hw, bench.target).system_mhz, card_mhz);
  if (GetParam().rated != 0) {
    EXPECT_EQ(ReadRatedClock(bench.hw, bench.target), GetParam().rated);
  }
  EXPECT_TRUE(bench.ui.messages.empty());
}

// Times of the register events that make up one programming sequence.
struct Timeline {
  std::vector<std::uint64_t> blank, unblank, m_writes;
  int p_writes = 0;
};

Timeline Read(const sim::CardModel& card) {
  Timeline t;
  for (const sim::RegisterWrite& w : card.Writes()) {
    if (w.file == sim::RegisterFile::kSequencer && w.reg == 1) {
      ((w.value & 0x20) ? t.blank : t.unblank).push_back(w.time_ms);
    }
    if (w.file == sim::RegisterFile::kDac && w.reg == 0x2C) t.m_writes.push_back(w.time_ms);
    if (w.file == sim::RegisterFile::kDac && w.reg == 0x2E) ++t.p_writes;
  }
  return t;
}

// Status reads (index 0x2F selected) after the first write to register
// `dac_index` and before the next configuration write.
int StatusReadsAfter(const sim::CardModel& card, std::uint8_t dac_index) {
  int reads = 0;
  bool counting = false;
  for (const sim::RegisterWrite& w : card.Writes()) {
    if (w.file == sim::RegisterFile::kDac && w.reg == dac_index) counting = true;
    if (counting && w.file == sim::RegisterFile::kWindow && w.reg == 0x3C00 && w.value == 0x2F) {
      ++reads;
    }
  }
  return reads;
}

TEST_P(ClockOnRoad, TestRunsTenSecondsAndRestores) {
  ClockBench bench(Builtin(GetParam().profile), GetParam().family);
  sim::CardModel& card = bench.card();
  card.SetPllLockReads(3);
  const std::uint8_t m0 = card.Dac(0x2C), n0 = card.Dac(0x2D), p0 = card.Dac(0x2E);
  card.ClearWrites();
  bench.bus().ClearConfigWrites();

  ASSERT_TRUE(ProgramClock(bench.hw, bench.target, 166, 260, false));

  const Timeline t = Read(card);
  ASSERT_EQ(t.blank.size(), 2u);
  ASSERT_EQ(t.unblank.size(), 2u);
  // Stopped no sooner than 21 ms after blanking.
  const auto& writes = bench.bus().ConfigWrites();
  const auto stop = std::find_if(writes.begin(), writes.end(), [](const sim::ConfigWrite& w) {
    return w.offset == 0x40 && (w.value & 0x4) != 0;
  });
  ASSERT_NE(stop, writes.end());
  EXPECT_GE(stop->time_ms, t.blank[0] + 21);
  // The new dividers, then about ten seconds later the old ones.
  ASSERT_EQ(t.m_writes.size(), 2u);
  EXPECT_GE(t.m_writes[1] - t.m_writes[0], 10000u);
  EXPECT_LT(t.m_writes[1] - t.m_writes[0], 10100u);
  EXPECT_EQ(t.p_writes, 0) << "the post-divider is never written";
  EXPECT_EQ(card.Dac(0x2C), m0);
  EXPECT_EQ(card.Dac(0x2D), n0);
  EXPECT_EQ(card.Dac(0x2E), p0);
  // Three lock waits per sequence; the one after the new dividers lasted
  // until the PLL reported lock.
  EXPECT_GE(StatusReadsAfter(card, 0x2D), 2 * (3 + 1));
  EXPECT_FALSE(card.ScreenBlanked());
  EXPECT_EQ(bench.Option() & 0x7, 0x1u) << "running again from the PLL";
  EXPECT_TRUE(bench.ui.messages.empty());
}

TEST_P(ClockOnRoad, KeptClockStaysAndReadsBack) {
  ClockBench bench(Builtin(GetParam().profile), GetParam().family);
  ASSERT_TRUE(ProgramClock(bench.hw, bench.target, 228, 260, true));
  EXPECT_EQ(bench.card().Dac(0x2C), 8);
  EXPECT_EQ(bench.card().Dac(0x2D), 75);
  EXPECT_EQ(ReadCurrentClock(bench.hw, bench.target), 228);
}

TEST_P(ClockOnRoad, RefusalsLeaveTheCardAlone) {
  struct Case {
    int target, limit;
    const char* message;
  };
  const Case cases[] = {
      {134, 260, "Clocking Error! Try again. (#1)"},  // no divider set
      {5, 260, "Clocking Error! Try again. (#1)"},    // needs a post-divider
      {228, 100, "Clocking Error! Try again. (#1)"},  // the found set fails the check
      {228, 227, "Clocking Error! Try again. (#1)"},  // passes it, but lies above the limit
  };
  for (const Case& c : cases) {
    ClockBench bench(Builtin(GetParam().profile), GetParam().family);
    bench.card().ClearWrites();
    EXPECT_FALSE(ProgramClock(bench.hw, bench.target, c.target, c.limit, true));
    ASSERT_EQ(bench.ui.messages.size(), 1u) << c.target;
    EXPECT_EQ(bench.ui.messages[0].text, c.message);
    EXPECT_TRUE(Read(bench.card()).blank.empty()) << c.target;
  }
}

TEST_P(ClockOnRoad, PllThatNeverLocksIsUndone) {
  ClockBench bench(Builtin(GetParam().profile), GetParam().family);
  const std::uint32_t option = bench.Option();
  const std::uint8_t m0 = bench.card().Dac(0x2C);
  bench.card().SetPllNeverLocks(true);
  EXPECT_FALSE(ProgramClock(bench.hw, bench.target, 228, 260, true));
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, "Clocking Error! Try again. (#3)");
  EXPECT_FALSE(bench.card().ScreenBlanked());
  EXPECT_EQ(bench.Option(), option);
  EXPECT_EQ(bench.card().Dac(0x2C), m0);
}

// The PLL locks while the clock stands on the PCI clock, but not after the
// new dividers: the old M and N come back, the option register goes back
// through the stop bit (stopped, the saved source, then the saved stop
// bit), the screen is unblanked and "(#3)" is reported.
TEST_P(ClockOnRoad, PllThatLocksOnlyBeforeTheNewDividersIsUndone) {
  ClockBench bench(Builtin(GetParam().profile), GetParam().family);
  const std::uint32_t option = bench.Option();
  const std::uint8_t m0 = bench.card().Dac(0x2C), n0 = bench.card().Dac(0x2D);
  bench.card().SetPllLockReads(0xFFFFFFFFu);  // unlocked for good after a divider write
  bench.bus().ClearConfigWrites();
  EXPECT_FALSE(ProgramClock(bench.hw, bench.target, 228, 260, true));
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, "Clocking Error! Try again. (#3)");
  EXPECT_EQ(bench.card().Dac(0x2C), m0);
  EXPECT_EQ(bench.card().Dac(0x2D), n0);
  EXPECT_FALSE(bench.card().ScreenBlanked());
  EXPECT_EQ(bench.Option(), option);
  std::vector<std::uint32_t> option_writes;
  for (const sim::ConfigWrite& w : bench.bus().ConfigWrites()) {
    if (w.offset == 0x40) option_writes.push_back(w.value);
  }
  // Forward: stop, PCI clock, restart. Back: stop, saved source stopped, saved.
  ASSERT_EQ(option_writes.size(), 6u);
  EXPECT_NE(option_writes[3] & 0x4, 0u);
  EXPECT_EQ(option_writes[4], option | 0x4);
  EXPECT_EQ(option_writes[5], option);
}

INSTANTIATE_TEST_SUITE_P(Roads, ClockOnRoad, ::testing::ValuesIn(kRoads), [](const auto& road) {
  std::string name = road.param.profile;
  std::replace(name.begin(), name.end(), '-', '_');
  return name;
});

// The parameter block is read only inside the mapped window (0x7FFF
// bytes): a QX2 block whose byte 76 would be the ROM's last byte, one past
// the window, gives the unknown rated clock (100); one byte lower, the
// byte (0 there) is read.
TEST(ClockTest, RatedClockReadsNothingPastTheWindow) {
  struct Case {
    std::uint16_t pointer;
    int rated;
  };
  for (const Case& c : {Case{0x7FFF - 76, 100}, Case{0x7FFE - 76, 0}}) {
    sim::Profile profile = Builtin("win2000-qx2max");
    // Version bytes (4) where either pointer's byte 5 falls.
    profile.bios.parameter_block_offset = 0x7F80;
    profile.bios.parameter_block.assign(0x7C, 0);
    profile.bios.parameter_block[0x37] = profile.bios.parameter_block[0x38] = 4;
    profile.bios.block_pointer = c.pointer;
    ClockBench bench(profile, kFamilyQx2);
    EXPECT_EQ(ReadRatedClock(bench.hw, bench.target), c.rated) << c.pointer;
  }
}

TEST(ClockTest, PreviousClockAboveTheLimitStays) {
  ClockBench bench(Builtin("win2000-qx2max"), kFamilyQx2);  // 200.57 MHz now
  ASSERT_TRUE(ProgramClock(bench.hw, bench.target, 166, 199, false));
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, "Clocking Error! Try again. (#2)");
  EXPECT_EQ(bench.card().Dac(0x2C), 5) << "the test clock stays";
}

TEST(ClockTest, NineXDriverFailureReturnsWithoutProgramming) {
  sim::Profile profile = Builtin("win98-qx1");
  profile.faults.vxd_version = 0x10003;
  ClockBench bench(profile, kFamilyQx1Agp);
  EXPECT_FALSE(ProgramClock(bench.hw, bench.target, 166, 260, true));
  ASSERT_EQ(bench.ui.messages.size(), 1u);
  EXPECT_EQ(bench.ui.messages[0].text, "VxD Version Mismatch!");
}

}  // namespace
}  // namespace tunora::testing
