#include "sim/hardware/card_model.h"

#include <algorithm>
#include <utility>

namespace tunora::sim {

CardModel::CardModel(MillisecondClock clock)
    : clock_(std::move(clock)), window_(kCardWindowSize, 0) {}

std::uint8_t CardModel::Read8(std::uint32_t offset) {
  switch (offset) {
    case kDacIndexOffset:
      return dac_index_;
    case kDacDataOffset:
      return ReadDac(dac_index_);
    case kSequencerIndexOffset:
      return sequencer_index_;
    case kSequencerDataOffset:
      return sequencer_[sequencer_index_];
    default:
      return offset < kCardWindowSize ? window_[offset] : 0xFF;
  }
}

void CardModel::Write8(std::uint32_t offset, std::uint8_t value) {
  switch (offset) {
    case kDacIndexOffset:
      dac_index_ = value;
      break;
    case kDacDataOffset:
      Record(RegisterFile::kDac, dac_index_, value);
      WriteDac(dac_index_, value);
      return;
    case kSequencerIndexOffset:
      sequencer_index_ = value;
      break;
    case kSequencerDataOffset:
      Record(RegisterFile::kSequencer, sequencer_index_, value);
      sequencer_[sequencer_index_] = value;
      return;
    default:
      if (offset >= kCardWindowSize) return;
      window_[offset] = value;
      break;
  }
  Record(RegisterFile::kWindow, static_cast<std::uint16_t>(offset), value);
}

std::uint8_t CardModel::ReadDac(std::uint8_t index) {
  if (index != kDacPllStatus) return dac_[index];
  const bool locked = PllLocked();
  if (unlocked_reads_left_ > 0) --unlocked_reads_left_;
  const auto others = static_cast<std::uint8_t>(dac_[index] & ~kPllLockedBit);
  return locked ? static_cast<std::uint8_t>(others | kPllLockedBit) : others;
}

void CardModel::WriteDac(std::uint8_t index, std::uint8_t value) {
  dac_[index] = value;
  // A new divider sends the PLL off to find its lock again.
  if (index == kDacPllM || index == kDacPllN || index == kDacPllP)
    unlocked_reads_left_ = lock_reads_;
}

void CardModel::Record(RegisterFile file, std::uint16_t reg, std::uint8_t value) {
  writes_.push_back({Now(clock_), file, reg, value});
}

void CardModel::SetDac(std::uint8_t index, std::uint8_t value) {
  dac_[index] = value;
  power_on_dac_[index] = value;
}

void CardModel::SetSequencer(std::uint8_t index, std::uint8_t value) {
  sequencer_[index] = value;
  power_on_sequencer_[index] = value;
}

void CardModel::SetDividers(std::uint8_t m, std::uint8_t n, std::uint8_t p) {
  SetDac(kDacPllM, m);
  SetDac(kDacPllN, n);
  SetDac(kDacPllP, p);
}

void CardModel::Reset() {
  dac_ = power_on_dac_;
  sequencer_ = power_on_sequencer_;
  std::fill(window_.begin(), window_.end(), std::uint8_t{0});
  dac_index_ = 0;
  sequencer_index_ = 0;
  unlocked_reads_left_ = 0;
  writes_.clear();
}

bool CardModel::ScreenBlanked() const {
  return (sequencer_[kSequencerClocking] & kScreenOffBit) != 0;
}

CardModel::Dividers CardModel::PllDividers() const {
  return {dac_[kDacPllM] & 0x1Fu, dac_[kDacPllN] & 0x7Fu, dac_[kDacPllP] & 0x07u};
}

double CardModel::ClockMhz() const {
  const Dividers d = PllDividers();
  return kReferenceMhz * (d.n + 1) / ((d.m + 1) * (d.p + 1));
}

}  // namespace tunora::sim
