// The maker's card as a machine keeps it (`tunora-sim show DIR card`) and
// the profile's switches for its PLL and BIOS.
#include <gtest/gtest.h>

#include <sstream>

#include "sim/hardware/card_model.h"
#include "sim/hardware/physical_memory.h"
#include "sim/machine/reboot.h"
#include "tests/support/sim_harness.h"

namespace tunora::testing {
namespace {

void WriteDac(sim::CardModel& card, std::uint8_t index, std::uint8_t value) {
  card.Write8(sim::kDacIndexOffset, index);
  card.Write8(sim::kDacDataOffset, value);
}

// Status reads until the lock bit shows (at most 100).
int ReadsUntilLocked(sim::CardModel& card) {
  card.Write8(sim::kDacIndexOffset, sim::kDacPllStatus);
  int reads = 0;
  while (reads < 100 && (card.Read8(sim::kDacDataOffset) & sim::kPllLockedBit) == 0) ++reads;
  return reads;
}

TEST(ShowCard, DividersLastUntilTheRebootRestoresTheProfiles) {
  struct Case {
    const char* profile;
    const char* power_on;
    const char* programmed;  // after M 4, N 40, P 1
  } cases[] = {
      {"win98-qx1", "card 1:00 M 5 N 36 P 0 clock 166.50 MHz\n",
       "card 1:00 M 4 N 40 P 1 clock 110.70 MHz\n"},
      {"win2000-qx2max", "card 1:00 M 6 N 51 P 0 clock 200.57 MHz\n",
       "card 1:00 M 4 N 40 P 1 clock 110.70 MHz\n"},
      {"win2000-nocard", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.profile);
    TestMachine machine(c.profile);
    EXPECT_EQ(machine.Open()->CardSummary(), c.power_on);
    {
      auto m = machine.Open();  // a program's run: register writes, then the state saved
      for (sim::CardModel* card : m->cards()) {
        WriteDac(*card, sim::kDacPllM, 4);
        WriteDac(*card, sim::kDacPllN, 40);
        WriteDac(*card, sim::kDacPllP, 1);
      }
      m->SaveState();
    }
    EXPECT_EQ(machine.Open()->CardSummary(), c.programmed);
    std::ostringstream out, err;
    sim::RebootAndLogOn(machine.dir(), {}, out, err);
    EXPECT_EQ(machine.Open()->CardSummary(), c.power_on);
  }
}

TEST(ProfileSwitches, PllLockReadsAndABlockPointerOutsideTheRom) {
  struct Case {
    const char* what;
    nlohmann::json bios_pointer;  // null: absent
    nlohmann::json lock_reads;    // null: the built-in profile's
    std::uint16_t pointer;
    int reads;
  } cases[] = {
      {"built-in", nullptr, nullptr, 0x7C00, 3},
      {"locks at once, pointer past the ROM", "0x9000", 0, 0x9000, 0},
      {"slow lock, pointer into the banner", 16, 7, 0x0010, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    nlohmann::json json = sim::ProfileToJson(Builtin("win2000-qx2max"));
    if (!c.bios_pointer.is_null()) json["bios"]["block_pointer"] = c.bios_pointer;
    for (nlohmann::json& device : json["pci"]) {
      if (device.contains("card") && !c.lock_reads.is_null()) {
        device["card"]["pll_lock_reads"] = c.lock_reads;
      }
    }
    const sim::Profile profile = sim::ProfileFromJson(json);
    EXPECT_EQ(sim::ProfileFromJson(sim::ProfileToJson(profile)).bios.block_pointer,
              profile.bios.block_pointer);
    TestMachine machine(profile);
    auto m = machine.Open();
    sim::PhysicalMemory& memory = m->physical();
    const std::uint64_t pointer_at = sim::kVideoBiosBase + sim::kBiosBlockPointerOffset;
    EXPECT_EQ(memory.Read8(pointer_at) | memory.Read8(pointer_at + 1) << 8, c.pointer);
    const std::uint16_t block_at = profile.bios.parameter_block_offset;
    for (std::size_t i = 0; i < profile.bios.parameter_block.size(); ++i) {
      ASSERT_EQ(memory.Read8(sim::kVideoBiosBase + block_at + i), profile.bios.parameter_block[i])
          << "block byte " << i;
    }
    sim::CardModel& card = *m->cards().at(0);
    EXPECT_EQ(ReadsUntilLocked(card), 0);  // locked at power-on
    WriteDac(card, sim::kDacPllN, 40);
    EXPECT_EQ(ReadsUntilLocked(card), c.reads);
  }
}

}  // namespace
}  // namespace tunora::testing
