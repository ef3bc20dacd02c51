// The maker's card as its 16 KB register window shows it: the DAC's
// indexed registers (with the system PLL), the VGA sequencer, and plain
// bytes everywhere else. Every write is kept with its time so tests can
// follow blanking, lock waits and reverts.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/hardware/millisecond_clock.h"

namespace tunora::sim {

inline constexpr std::uint32_t kCardWindowSize = 0x4000;

inline constexpr std::uint32_t kDacIndexOffset = 0x3C00;
inline constexpr std::uint32_t kDacDataOffset = 0x3C0A;
inline constexpr std::uint32_t kSequencerIndexOffset = 0x1FC4;
inline constexpr std::uint32_t kSequencerDataOffset = 0x1FC5;

inline constexpr std::uint8_t kDacPixelClockControl = 0x1A;
inline constexpr std::uint8_t kDacPllM = 0x2C;       // low 5 bits
inline constexpr std::uint8_t kDacPllN = 0x2D;       // low 7 bits
inline constexpr std::uint8_t kDacPllP = 0x2E;       // low 3 bits
inline constexpr std::uint8_t kDacPllStatus = 0x2F;  // bit 6: locked (read-only)
inline constexpr std::uint8_t kPllLockedBit = 0x40;
inline constexpr std::uint8_t kSequencerClocking = 1;  // bit 5: screen off
inline constexpr std::uint8_t kScreenOffBit = 0x20;

inline constexpr double kReferenceMhz = 27.0;

enum class RegisterFile {
  kWindow,     // a plain byte of the window, index latches included
  kDac,        // a DAC indexed register, through 0x3C0A
  kSequencer,  // a sequencer register, through 0x1FC5
};

struct RegisterWrite {
  std::uint64_t time_ms = 0;
  RegisterFile file = RegisterFile::kWindow;
  std::uint16_t reg = 0;  // window offset, or the index selected
  std::uint8_t value = 0;
  friend bool operator==(const RegisterWrite&, const RegisterWrite&) = default;
};

class CardModel {
 public:
  explicit CardModel(MillisecondClock clock = {});

  // The register window as software reaches it (offset < kCardWindowSize).
  std::uint8_t Read8(std::uint32_t offset);
  void Write8(std::uint32_t offset, std::uint8_t value);

  // Set-up: the values the card powers on with (what its BIOS programs).
  // They are not recorded and Reset returns to them.
  void SetDac(std::uint8_t index, std::uint8_t value);
  void SetSequencer(std::uint8_t index, std::uint8_t value);
  void SetDividers(std::uint8_t m, std::uint8_t n, std::uint8_t p);
  void Reset();

  // Fault switch: the PLL never reports lock.
  void SetPllNeverLocks(bool never_locks) { pll_never_locks_ = never_locks; }
  // After a write to M, N or P the status reads unlocked this many times
  // before the lock bit comes back (0: at once).
  void SetPllLockReads(std::uint32_t reads) { lock_reads_ = reads; }

  // Inspection, not recorded.
  std::uint8_t Dac(std::uint8_t index) const { return dac_[index]; }
  std::uint8_t Sequencer(std::uint8_t index) const { return sequencer_[index]; }
  bool PllLocked() const { return !pll_never_locks_ && unlocked_reads_left_ == 0; }
  bool ScreenBlanked() const;
  // M, N and P as the PLL takes them: the low 5, 7 and 3 bits of their
  // registers.
  struct Dividers {
    unsigned m = 0, n = 0, p = 0;
  };
  Dividers PllDividers() const;
  // 27 MHz x (N + 1) / ((M + 1) x (P + 1)).
  double ClockMhz() const;

  const std::vector<RegisterWrite>& Writes() const { return writes_; }
  void ClearWrites() { writes_.clear(); }

 private:
  std::uint8_t ReadDac(std::uint8_t index);
  void WriteDac(std::uint8_t index, std::uint8_t value);
  void Record(RegisterFile file, std::uint16_t reg, std::uint8_t value);

  MillisecondClock clock_;
  std::vector<std::uint8_t> window_;
  std::array<std::uint8_t, 256> dac_{};
  std::array<std::uint8_t, 256> sequencer_{};
  std::array<std::uint8_t, 256> power_on_dac_{};
  std::array<std::uint8_t, 256> power_on_sequencer_{};
  std::uint8_t dac_index_ = 0;
  std::uint8_t sequencer_index_ = 0;
  bool pll_never_locks_ = false;
  std::uint32_t lock_reads_ = 0;
  std::uint32_t unlocked_reads_left_ = 0;
  std::vector<RegisterWrite> writes_;
};

}  // namespace tunora::sim
