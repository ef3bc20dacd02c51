// Per-board records that newer NT drivers keep inside a device key.

#include "registry/reg_access.h"
#include "settings/driver_keys.h"

namespace tunora {

namespace {

constexpr std::uint32_t kBoardRecordBytes = 8;

std::string TwoDigits(int index) {
  const int clamped = index < 0 ? 0 : index % kMaxBoardRecords;
  return {static_cast<char>('0' + clamped / 10), static_cast<char>('0' + clamped % 10)};
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1])
                                                         << 8;
}

}  // namespace

std::string BoardRecordName(int index) { return "D" + TwoDigits(index); }

std::string BoardValueName(std::string_view name_template, int index) {
  std::string name(name_template);
  if (name.size() >= 3) name.replace(1, 2, TwoDigits(index));
  return name;
}

bool BoardRecordMatches(Registry& registry, RegKey device_key, int index, const BoardIds& board) {
  const auto record = QueryBytes(registry, device_key, BoardRecordName(index), kBoardRecordBytes);
  // A record shorter than its two fields cannot name a board.
  if (!record || record->size() < kBoardRecordBytes) return false;
  return Word(*record, 0) == board.device_id && Word(*record, 6) == board.subsystem_id;
}

std::optional<int> FindBoardEntry(Registry& registry, RegKey device_key, const BoardIds& board) {
  for (int index = 0; index < kMaxBoardRecords; ++index) {
    if (BoardRecordMatches(registry, device_key, index, board)) return index;
  }
  return std::nullopt;
}

}  // namespace tunora
