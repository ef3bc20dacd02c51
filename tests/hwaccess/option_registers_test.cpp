// The card option-register edits, family by family and road by road.
#include "hwaccess/option_registers.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace tunora {
namespace {

struct Op {
  bool write;
  std::uint8_t reg;
  std::uint32_t value;
  friend bool operator==(const Op&, const Op&) = default;
};

std::ostream& operator<<(std::ostream& out, const Op& op) {
  return out << (op.write ? "W " : "R ") << std::hex << int{op.reg} << "=" << op.value;
}

Op R(std::uint8_t reg, std::uint32_t value) { return {false, reg, value}; }
Op W(std::uint8_t reg, std::uint32_t value) { return {true, reg, value}; }

// Registers in a map; every access on the card's slot is logged.
class RecordingConfig : public ConfigSpace {
 public:
  std::uint32_t Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) override {
    Check(bus, device);
    ops.push_back(R(reg, registers[reg]));
    return registers[reg];
  }
  void Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
               std::uint32_t value) override {
    Check(bus, device);
    ops.push_back(W(reg, value));
    registers[reg] = value;
  }

  std::map<std::uint8_t, std::uint32_t> registers;
  std::vector<Op> ops;

 private:
  static void Check(std::uint8_t bus, std::uint8_t device) {
    EXPECT_EQ(bus, 1);
    EXPECT_EQ(device, kSlot);
  }
  static constexpr std::uint8_t kSlot = 3;
};

enum class Edit { kStop, kRestart, kSelectPci, kSelectPll, kEnableDecoding };

void Apply(Edit edit, ConfigSpace& config, ChipFamily family, DriverRoad road) {
  constexpr std::uint8_t kSlot = 3;
  switch (edit) {
    case Edit::kStop:
      return StopSystemClock(config, kSlot);
    case Edit::kRestart:
      return RestartSystemClock(config, kSlot, family, road);
    case Edit::kSelectPci:
      return SelectPciClock(config, kSlot, family, road);
    case Edit::kSelectPll:
      return SelectPllClock(config, kSlot, family, road);
    case Edit::kEnableDecoding:
      return EnableMemoryDecoding(config, kSlot);
  }
}

enum class Road { kNt, k9x, kBoth };

struct Row {
  Edit edit;
  std::uint32_t option_before;  // register 0x40 before the edit
  std::vector<ChipFamily> families;
  Road road;
  std::vector<Op> ops;
};

const std::vector<ChipFamily> kAllFamilies = {200, 201, 202, 203, 204,   400,
                                              450, 451, 452, 550, 0x7FFF};
const std::vector<ChipFamily> kNotClearedOnNt = {201, 202, 203, 204, 451, 452, 550, 0x7FFF};
const std::vector<ChipFamily> kNoSelect = {201, 202, 203, 204, 451, 452, 550, 0x7FFF};

std::vector<Row> Rows() {
  return {
      {Edit::kStop,
       0xA5A5A5A9,
       kAllFamilies,
       Road::kBoth,
       {R(0x40, 0xA5A5A5A9), W(0x40, 0xA5A5A5AD)}},
      {Edit::kRestart,
       0xA5A5A5AE,
       {200, 400, 450},
       Road::kNt,
       {R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AA)}},
      {Edit::kRestart, 0xA5A5A5AE, kNotClearedOnNt, Road::kNt, {}},
      {Edit::kRestart,
       0xA5A5A5AE,
       kAllFamilies,
       Road::k9x,
       {R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AA)}},
      {Edit::kSelectPci,
       0xA5A5A5AE,
       {200, 400},
       Road::kBoth,
       {R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AC)}},
      {Edit::kSelectPci,
       0xA5A5A5AE,
       {450},
       Road::kNt,
       {R(0x54, 0x12345A78), W(0x54, 0x12345E78), R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AC)}},
      {Edit::kSelectPci,
       0xA5A5A5AE,
       {450},
       Road::k9x,
       {R(0x54, 0x12345A78), W(0x54, 0x12345E78), R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AC),
        R(0x54, 0x12345E78), W(0x54, 0x12345E78)}},
      {Edit::kSelectPci, 0xA5A5A5AE, kNoSelect, Road::kBoth, {}},
      {Edit::kSelectPll,
       0xA5A5A5AE,
       {200, 400},
       Road::kBoth,
       {R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AD)}},
      {Edit::kSelectPll,
       0xA5A5A5AE,
       {450},
       Road::kNt,
       {R(0x54, 0x12345A78), W(0x54, 0x12345678), R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AD)}},
      {Edit::kSelectPll,
       0xA5A5A5AE,
       {450},
       Road::k9x,
       {R(0x54, 0x12345A78), W(0x54, 0x12345678), R(0x40, 0xA5A5A5AE), W(0x40, 0xA5A5A5AD),
        R(0x54, 0x12345678), W(0x54, 0x12345678)}},
      {Edit::kSelectPll, 0xA5A5A5AE, kNoSelect, Road::kBoth, {}},
      {Edit::kEnableDecoding, 0, kAllFamilies, Road::kBoth, {R(0x04, 0x0005), W(0x04, 0x0007)}},
  };
}

TEST(OptionRegisterEdits, FollowTheFamilyTable) {
  int row_number = 0;
  for (const Row& row : Rows()) {
    ++row_number;
    for (ChipFamily family : row.families) {
      for (bool nt : {true, false}) {
        if (row.road == Road::kNt && !nt) continue;
        if (row.road == Road::k9x && nt) continue;
        SCOPED_TRACE(testing::Message() << "row " << row_number << ", family " << family
                                        << (nt ? ", NT road" : ", 9x road"));
        RecordingConfig config;
        config.registers = {{0x04, 0x0005}, {0x40, row.option_before}, {0x54, 0x12345A78}};
        Apply(row.edit, config, family, nt ? DriverRoad::kNt : DriverRoad::k9x);
        EXPECT_EQ(config.ops, row.ops);
      }
    }
  }
}

TEST(OptionRegisterEdits, WindowBaseIsReadAsItIs) {
  RecordingConfig config;
  config.registers[0x14] = 0xE7000008;
  EXPECT_EQ(ReadRegisterWindowBase(config, 3), 0xE7000008u);
  EXPECT_EQ(config.ops, (std::vector<Op>{R(0x14, 0xE7000008)}));
  EXPECT_EQ(ReadRegisterWindowBase(config, 3) & kWindowBaseMask, 0xE7000000u);
}

}  // namespace
}  // namespace tunora
