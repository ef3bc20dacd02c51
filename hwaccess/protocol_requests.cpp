// Sending the map and version requests.
#include "hwaccess/protocol.h"

namespace tunora {
namespace {

constexpr std::uint32_t kIsaInterface = 1;
constexpr std::uint32_t kMemorySpace = 0;
constexpr auto kReplySize = static_cast<std::uint32_t>(kAddressReplySize);

// The reply starts out as 0, which is what a failed request leaves.
std::uint32_t Request(Devices& devices, Handle device, std::uint32_t code, const void* in,
                      std::uint32_t in_size) {
  DwordRecord reply{};
  std::uint32_t returned = 0;
  if (!devices.DeviceIoControl(device, code, in, in_size, reply.data(), kReplySize, &returned,
                               nullptr)) {
    return 0;
  }
  return UnpackDword(reply);
}

}  // namespace

std::uint32_t MapPhysicalNt(Devices& devices, Handle hwgate4, std::uint32_t physical,
                            std::uint32_t length) {
  const PhysMapRecordNt record =
      PackPhysMapRequestNt({kIsaInterface, 0, physical, kMemorySpace, length});
  return Request(devices, hwgate4, kIoctlMapPhysical, record.data(),
                 static_cast<std::uint32_t>(record.size()));
}

std::uint32_t MapPhysical9x(Devices& devices, Handle hwgt9x, std::uint32_t physical,
                            std::uint32_t length) {
  const PhysMapRecord9x record = PackPhysMapRequest9x({physical, length});
  return Request(devices, hwgt9x, kDiocMapPhysical, record.data(),
                 static_cast<std::uint32_t>(record.size()));
}

std::uint32_t QueryDriverVersion9x(Devices& devices, Handle hwgt9x) {
  return Request(devices, hwgt9x, kDiocVersion, nullptr, 0);
}

}  // namespace tunora
