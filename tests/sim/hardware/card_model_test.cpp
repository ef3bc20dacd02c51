// The card's register window: DAC indexed registers, PLL, sequencer.
#include "sim/hardware/card_model.h"

#include <gtest/gtest.h>

namespace tunora::sim {
namespace {

class CardModelTest : public ::testing::Test {
 protected:
  std::uint8_t DacRead(std::uint8_t index) {
    card.Write8(kDacIndexOffset, index);
    return card.Read8(kDacDataOffset);
  }
  void DacWrite(std::uint8_t index, std::uint8_t value) {
    card.Write8(kDacIndexOffset, index);
    card.Write8(kDacDataOffset, value);
  }

  std::uint64_t now = 0;
  CardModel card{[this] { return now; }};
};

TEST_F(CardModelTest, ClockFollowsTheDividers) {
  struct Case {
    std::uint8_t m, n, p;
    double mhz;
  };
  const Case cases[] = {
      {5, 36, 0, 166.5},
      {6, 51, 0, 27.0 * 52 / 7},
      {8, 75, 0, 228.0},
      {1, 7, 0, 108.0},
      {0, 0, 0, 27.0},
      {3, 15, 1, 54.0},
      {0xE5, 0xB6, 0xF8, 27.0 * 55 / 6},  // only the low 5, 7 and 3 bits count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "M " << int{c.m} << " N " << int{c.n} << " P " << int{c.p});
    card.SetDividers(c.m, c.n, c.p);
    EXPECT_DOUBLE_EQ(card.ClockMhz(), c.mhz);
  }
}

TEST_F(CardModelTest, DacRegistersGoThroughIndexAndData) {
  card.SetDividers(6, 51, 0);
  EXPECT_EQ(DacRead(kDacPllM), 6);
  EXPECT_EQ(DacRead(kDacPllN), 51);
  DacWrite(kDacPllM, 5);
  DacWrite(kDacPllN, 36);
  EXPECT_EQ(card.Dac(kDacPllM), 5);
  EXPECT_EQ(card.Dac(kDacPllN), 36);
  EXPECT_EQ(card.Read8(kDacIndexOffset), kDacPllN);
  EXPECT_DOUBLE_EQ(card.ClockMhz(), 166.5);
}

TEST_F(CardModelTest, StatusShowsLockUnlessThePllNeverLocks) {
  card.SetDac(kDacPllStatus, 0x03);
  EXPECT_EQ(DacRead(kDacPllStatus), 0x43);
  card.SetPllNeverLocks(true);
  EXPECT_EQ(DacRead(kDacPllStatus), 0x03);
  EXPECT_FALSE(card.PllLocked());
  card.SetPllNeverLocks(false);
  EXPECT_EQ(DacRead(kDacPllStatus) & kPllLockedBit, kPllLockedBit);
}

TEST_F(CardModelTest, NewDividersUnlockForTheConfiguredReads) {
  card.SetPllLockReads(3);
  DacWrite(0x1A, 0x04);  // not a divider: no relock
  EXPECT_TRUE(DacRead(kDacPllStatus) & kPllLockedBit);
  DacWrite(kDacPllN, 40);
  for (int read = 0; read < 3; ++read) {
    EXPECT_FALSE(DacRead(kDacPllStatus) & kPllLockedBit) << "read " << read;
  }
  EXPECT_TRUE(DacRead(kDacPllStatus) & kPllLockedBit);
}

TEST_F(CardModelTest, LockBitCannotBeWritten) {
  card.SetPllNeverLocks(true);
  DacWrite(kDacPllStatus, 0xFF);
  EXPECT_EQ(DacRead(kDacPllStatus), 0xBF);
}

TEST_F(CardModelTest, SequencerRegisterOneBlanks) {
  card.SetSequencer(kSequencerClocking, 0x01);
  card.Write8(kSequencerIndexOffset, kSequencerClocking);
  EXPECT_EQ(card.Read8(kSequencerDataOffset), 0x01);
  EXPECT_FALSE(card.ScreenBlanked());
  card.Write8(kSequencerDataOffset, 0x21);
  EXPECT_TRUE(card.ScreenBlanked());
  card.Write8(kSequencerDataOffset, 0x01);
  EXPECT_FALSE(card.ScreenBlanked());
  card.Write8(kSequencerIndexOffset, 2);
  card.Write8(kSequencerDataOffset, 0x20);
  EXPECT_FALSE(card.ScreenBlanked());  // another register's bit 5
}

TEST_F(CardModelTest, PlainBytesOutsideTheRegisterPairs) {
  card.Write8(0x0010, 0x5A);
  card.Write8(0x3FFF, 0xA5);
  EXPECT_EQ(card.Read8(0x0010), 0x5A);
  EXPECT_EQ(card.Read8(0x3FFF), 0xA5);
  EXPECT_EQ(card.Read8(0x4000), 0xFF);
  card.Write8(0x4000, 0x11);
  EXPECT_EQ(card.Read8(0x4000), 0xFF);
}

TEST_F(CardModelTest, EveryWriteIsRecordedWithItsTime) {
  now = 100;
  card.Write8(kSequencerIndexOffset, 1);
  card.Write8(kSequencerDataOffset, 0x20);
  now = 121;
  DacWrite(kDacPllM, 5);
  card.Write8(0x20, 7);
  const std::vector<RegisterWrite> expected = {
      {100, RegisterFile::kWindow, kSequencerIndexOffset, 1},
      {100, RegisterFile::kSequencer, 1, 0x20},
      {121, RegisterFile::kWindow, kDacIndexOffset, kDacPllM},
      {121, RegisterFile::kDac, kDacPllM, 5},
      {121, RegisterFile::kWindow, 0x20, 7},
  };
  EXPECT_EQ(card.Writes(), expected);
  card.ClearWrites();
  EXPECT_TRUE(card.Writes().empty());
}

TEST_F(CardModelTest, ResetReturnsToThePowerOnValues) {
  card.SetDividers(6, 51, 0);
  card.SetSequencer(1, 0x01);
  DacWrite(kDacPllM, 5);
  card.Write8(kSequencerIndexOffset, 1);
  card.Write8(kSequencerDataOffset, 0x21);
  card.Write8(0x30, 9);
  card.Reset();
  EXPECT_EQ(card.Dac(kDacPllM), 6);
  EXPECT_EQ(card.Sequencer(1), 0x01);
  EXPECT_EQ(card.Read8(0x30), 0);
  EXPECT_TRUE(card.Writes().empty());
}

}  // namespace
}  // namespace tunora::sim
