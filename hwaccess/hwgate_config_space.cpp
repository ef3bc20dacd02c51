// Configuration access through the NT drivers. The programs never look at
// a request's success flag: a failed request leaves the record as it was
// filled in, which is why reads pre-fill the value halves.
#include "hwaccess/config_access.h"
#include "hwaccess/protocol.h"

namespace tunora {
namespace {

PciConfigRecord ReadRecord(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                           std::uint32_t filler) {
  return PackPciConfigRequest({bus, device, reg, kWidth32, filler, filler});
}

PciConfigRecord WriteRecord(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                            std::uint32_t value) {
  return PackPciConfigRequest({bus, device, reg, kWidth32, value & 0xFFFFu, value >> 16});
}

std::uint32_t ValueOf(const PciConfigRecord& record) {
  const PciConfigRequest reply = UnpackPciConfigRequest(record);
  return reply.low + (reply.high << 16);
}

constexpr auto kRecordSize = static_cast<std::uint32_t>(kConfigRecordSize);

}  // namespace

std::uint32_t Hwgate4ConfigSpace::Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  PciConfigRecord record = ReadRecord(bus, device, reg, filler_);
  std::uint32_t returned = 0;
  devices_.DeviceIoControl(device_, kIoctlConfigRead, record.data(), kRecordSize, record.data(),
                           kRecordSize, &returned, nullptr);
  return ValueOf(record);
}

void Hwgate4ConfigSpace::Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                                 std::uint32_t value) {
  PciConfigRecord record = WriteRecord(bus, device, reg, value);
  std::uint32_t returned = 0;
  devices_.DeviceIoControl(device_, kIoctlConfigWrite, record.data(), kRecordSize, record.data(),
                           kRecordSize, &returned, nullptr);
}

void Hwgate2ConfigSpace::Send(std::uint32_t code, std::uint8_t* record) {
  Overlapped overlapped;
  overlapped.event = event_;
  std::uint32_t returned = 0;
  const bool completed = devices_.DeviceIoControl(device_, code, record, kRecordSize, record,
                                                  kRecordSize, &returned, &overlapped);
  // A request refused at once (a write, a bad handle) never completes
  // later: its event is never set, so waiting for it would never end.
  if (!completed && devices_.GetLastError() != kLastErrorIoPending) return;
  devices_.GetOverlappedResult(device_, &overlapped, &returned, true);
}

std::uint32_t Hwgate2ConfigSpace::Read32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg) {
  PciConfigRecord record = ReadRecord(bus, device, reg, kConfigReadFiller);
  Send(kIoctlConfigRead, record.data());
  return ValueOf(record);
}

void Hwgate2ConfigSpace::Write32(std::uint8_t bus, std::uint8_t device, std::uint8_t reg,
                                 std::uint32_t value) {
  PciConfigRecord record = WriteRecord(bus, device, reg, value);
  Send(kIoctlConfigWrite, record.data());
}

}  // namespace tunora
