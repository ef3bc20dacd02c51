#include "tests/hwaccess/hardware_rig.h"

namespace tunora::testing {

HardwareRig::HardwareRig() : bus([this] { return now_ms; }), card([this] { return now_ms; }) {
  bus.Attach(0, 0, sim::MakeHostBridge({}));
  sim::MakerBoardConfig max_board;
  max_board.window_base = kRigWindowBase;
  board = &bus.Attach(1, 0, sim::MakeMakerBoard(max_board));
  sim::MakerBoardConfig qx1_board;
  qx1_board.device_id = 0x0521;
  qx1_board.subsystem_id = 0xFF02;
  qx1_board.window_base = kRigSecondWindowBase;
  qx1_board.command = 0;
  second_board = &bus.Attach(2, 3, sim::MakeMakerBoard(qx1_board));
  sim::PciDevice other(0x1234, 0x5678);
  other.Set32(sim::kRegCommand, 0x0007);
  other.Set32(sim::kRegWindowBase, kRigForeignBase);
  foreign = &bus.Attach(0, 7, other);

  card.SetDividers(6, 51, 0);
  physical.AttachCard(*board, card);
  std::vector<std::uint8_t> block(80, 0);
  block[5] = 4;
  block[76] = 50;
  bios = sim::BuildVideoBios("V1.2", kRigBlockOffset, block);
  physical.SetVideoBios(bios);
}

}  // namespace tunora::testing
