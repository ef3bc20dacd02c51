// The emulator's loaders against damaged driver files: one of the three
// files the build made, patched and possibly cut short, loaded by the PE
// loader or the LE reader. Refusing the file (MalformedImage, or the
// emulator refusing a placement) is the expected outcome; anything else
// the sanitizers or the fuzzer catch (an overrun, a crash, an allocation
// of gigabytes) is a finding.
//
// Input: a selector byte (low two bits: Hwgt9x.vxd, hwgate2.sys,
// hwgate4.sys; bit 7: cut the file at the first patch's offset), then
// patches until the input runs out: a 2-byte offset (modulo the file's
// size), a length byte and that many bytes written there.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "resources/embedded.h"
#include "sim/emulator/image_bytes.h"
#include "sim/emulator/le_image.h"
#include "sim/emulator/nt_kernel_double.h"
#include "sim/emulator/pe_image.h"
#include "sim/emulator/vxd_double.h"
#include "sim/emulator/x86_emulator.h"

namespace {

constexpr tunora::DriverKind kImages[] = {tunora::DriverKind::kHwgt9x, tunora::DriverKind::kHwgate2,
                                          tunora::DriverKind::kHwgate4};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  const tunora::DriverKind kind = kImages[(selector & 3) % 3];
  const std::string_view embedded = tunora::DriverImage(kind);
  std::vector<std::uint8_t> file(embedded.begin(), embedded.end());
  if (file.empty()) return 0;
  bool cut = (selector & 0x80) != 0;
  for (std::size_t at = 1; at + 3 <= size && !file.empty();) {
    const std::size_t offset = (data[at] | data[at + 1] << 8) % file.size();
    const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
    at += 3;
    if (cut) {
      file.resize(offset);
      cut = false;
    }
    for (std::size_t i = 0; i < length && offset + i < file.size(); ++i)
      file[offset + i] = data[at + i];
    at += length;
  }
  tunora::emulator::X86Emulator emulator;
  try {
    if (kind == tunora::DriverKind::kHwgt9x) {
      tunora::emulator::LoadLe(emulator, file, tunora::emulator::kVxdObjectBase);
    } else {
      tunora::emulator::LoadPe(emulator, file, tunora::emulator::kNtImageBase,
                               tunora::emulator::kNtImageRoom,
                               [](const std::string&, const std::string&) { return 0x81010000u; });
    }
  } catch (const tunora::emulator::MalformedImage&) {
  } catch (const tunora::emulator::EmulationFault&) {
  }
  return 0;
}
