#include "sim/emulator/vxd_double.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "hwaccess/drivers/wire.h"
#include "sim/emulator/image_bytes.h"

namespace tunora::emulator {
namespace {

// Control messages (the DDK's VMM.INC).
constexpr std::uint32_t kSysDynamicDeviceInit = 0x1B;
constexpr std::uint32_t kSysDynamicDeviceExit = 0x1C;
constexpr std::uint32_t kW32DeviceIoControl = 0x23;
// Device Descriptor Block fields.
constexpr std::uint32_t kDdbName = 0x0C;
constexpr std::uint32_t kDdbControlProc = 0x18;
// DIOCParams fields (VWIN32.H).
constexpr std::uint32_t kDiocVmHandle = 0x04;
constexpr std::uint32_t kDiocDdb = 0x08;
constexpr std::uint32_t kDiocCode = 0x0C;
constexpr std::uint32_t kDiocInBuffer = 0x10;
constexpr std::uint32_t kDiocInSize = 0x14;
constexpr std::uint32_t kDiocOutBuffer = 0x18;
constexpr std::uint32_t kDiocOutSize = 0x1C;
constexpr std::uint32_t kDiocBytesReturned = 0x20;
constexpr std::uint32_t kDiocDevice = 0x28;
constexpr std::uint32_t kDiocSize = 0x30;

constexpr std::uint32_t kSystemVm = 0xC0010000;  // a handle the device never dereferences
// The calling process's side: the DIOCParams, the bytes-returned dword and
// the caller's buffer.
constexpr std::uint32_t kCaller = 0x00400000;
constexpr std::uint32_t kCallerReturned = kCaller + 0x40;
constexpr std::uint32_t kCallerBuffer = kCaller + 0x1000;
constexpr std::uint32_t kCallerBufferLimit = 0x10000;
constexpr std::uint32_t kCallerSize = 0x1000 + kCallerBufferLimit;
constexpr std::uint32_t kCarryFlag = 0x1;
constexpr std::uint32_t kInterruptFlag = 0x200;
constexpr std::uint32_t kConfigEnable = 0x80000000u;
constexpr std::uint32_t kMapFailed = 0xFFFFFFFFu;

// The status a device-control reply's Win32 error stands for:
// drivers::Win32ErrorOf read backwards (every other failure is 31).
drivers::NtStatus StatusOf(std::uint32_t error) {
  for (const drivers::NtStatus status :
       {drivers::STATUS_SUCCESS, drivers::STATUS_ACCESS_DENIED, drivers::STATUS_INVALID_PARAMETER,
        drivers::STATUS_BUFFER_TOO_SMALL}) {
    if (drivers::Win32ErrorOf(status) == error) return status;
  }
  return drivers::STATUS_UNSUCCESSFUL;
}

}  // namespace

EmulatedVxd::EmulatedVxd(std::span<const std::uint8_t> image, drivers::KernelServices& kernel)
    : kernel_(&kernel) {
  emulator_.Map(kCaller, kCallerSize);
  emulator_.SetPortHandler(&ports_);
  emulator_.OnInterrupt(0x20, [this] { RunVmmService(); });
  image_ = LoadLe(emulator_, image, kVxdObjectBase);
  if (image_.entry_ordinal_1 == 0) throw MalformedImage("no entry with ordinal 1, the DDB");
  const std::vector<std::uint8_t> name = emulator_.Read(image_.entry_ordinal_1 + kDdbName, 8);
  ddb_name_.assign(name.begin(), name.end());
  ddb_name_.erase(ddb_name_.find_last_not_of(' ') + 1);
  control_proc_ = emulator_.Read32(image_.entry_ordinal_1 + kDdbControlProc);
  initialised_ = !SendControl(kSysDynamicDeviceInit, 0).carry;
  exited_ = !initialised_;
}

void EmulatedVxd::Ports::CheckInterruptsOff(std::uint16_t port) {
  if (vxd_.emulator_.Get(X86Emulator::Reg::kEflags) & kInterruptFlag) {
    char text[80];
    std::snprintf(text, sizeof text, "port 0x%X accessed with interrupts on", unsigned{port});
    vxd_.emulator_.Fail(text);
  }
}

// Mechanism 1: a 32-bit write to 0xCF8 sets the address, with its enable
// bit; 0xCFC to 0xCFF reach the bytes of the addressed register.
std::uint32_t EmulatedVxd::Ports::In(std::uint16_t port, unsigned size) {
  CheckInterruptsOff(port);
  if (port == kConfigAddressPort && size == 4) return address_;
  if (port < kConfigDataPort || port + size > kConfigDataPort + 4 || !(address_ & kConfigEnable)) {
    vxd_.emulator_.Fail("in from port " + std::to_string(port) +
                        ", which the machine leaves alone");
  }
  // Only function 0 exists on this machine; the others read all ones.
  const std::uint32_t dword =
      (address_ & 0x700) != 0
          ? 0xFFFFFFFFu
          : vxd_.kernel_->ReadConfig32(static_cast<std::uint8_t>(address_ >> 16),
                                       static_cast<std::uint8_t>((address_ >> 11) & 0x1F),
                                       static_cast<std::uint8_t>(address_ & 0xFC));
  const unsigned shift = 8 * (port - kConfigDataPort);
  return size == 4 ? dword : (dword >> shift) & ((1u << (8 * size)) - 1);
}

void EmulatedVxd::Ports::Out(std::uint16_t port, unsigned size, std::uint32_t value) {
  CheckInterruptsOff(port);
  if (port == kConfigAddressPort && size == 4) {
    address_ = value;
    return;
  }
  // Writes start at the register: the dispatch code writes whole
  // registers, or their low bytes, through 0xCFC.
  if (port != kConfigDataPort || !(address_ & kConfigEnable) || (address_ & 0x700) != 0) {
    vxd_.emulator_.Fail("out to port " + std::to_string(port) + ", which the machine leaves alone");
  }
  vxd_.kernel_->WriteConfig(
      static_cast<std::uint8_t>(address_ >> 16), static_cast<std::uint8_t>((address_ >> 11) & 0x1F),
      static_cast<std::uint8_t>(address_ & 0xFC), static_cast<std::uint8_t>(size), value);
}

EmulatedVxd::~EmulatedVxd() {
  try {
    Exit();
  } catch (const std::exception&) {
    // Nobody is left to tell; tests call Exit.
  }
}

// VMM services: `int 20h` then a dword, the device (high word) and the
// service (low word). C-convention services find their arguments on the
// stack as pushed, with no return address between.
void EmulatedVxd::RunVmmService() {
  const std::uint32_t eip = emulator_.Get(X86Emulator::Reg::kEip);
  const std::uint32_t service = emulator_.Read32(eip);
  const std::uint32_t esp = emulator_.Get(X86Emulator::Reg::kEsp);
  const auto arg = [&](std::uint32_t index) { return emulator_.Read32(esp + 4 * index); };
  struct Service {
    std::uint32_t id;
    const char* name;
    std::function<std::uint32_t()> run;
  };
  const Service services[] = {
      {0x0001006C, "_MapPhysToLinear",
       [&] { return kernel_->MapPhysToLinear(arg(0), arg(1)).value_or(kMapFailed); }},
  };
  for (const Service& s : services) {
    if (s.id != service) continue;
    ++vmm_calls_;
    emulator_.Set(X86Emulator::Reg::kEax, s.run());
    emulator_.Set(X86Emulator::Reg::kEip, eip + 4);
    return;
  }
  char text[64];
  std::snprintf(text, sizeof text, "VMM service 0x%08X, which the double does not know", service);
  emulator_.Fail(text);
}

EmulatedVxd::Control EmulatedVxd::SendControl(std::uint32_t message, std::uint32_t esi) {
  emulator_.Set(X86Emulator::Reg::kEax, message);
  emulator_.Set(X86Emulator::Reg::kEbx, kSystemVm);
  emulator_.Set(X86Emulator::Reg::kEcx, 0);
  emulator_.Set(X86Emulator::Reg::kEdx, 0);
  emulator_.Set(X86Emulator::Reg::kEsi, esi);
  emulator_.Set(X86Emulator::Reg::kEdi, 0);
  // The VMM calls a control procedure with interrupts enabled.
  emulator_.Set(X86Emulator::Reg::kEflags, 0x2 | kInterruptFlag);
  emulator_.CallWithRegisters(control_proc_);
  return {emulator_.Get(X86Emulator::Reg::kEax),
          (emulator_.Get(X86Emulator::Reg::kEflags) & kCarryFlag) != 0};
}

EmulatedVxd::Reply EmulatedVxd::DeviceIoControl(std::uint32_t code, std::span<std::uint8_t> buffer,
                                                std::uint32_t input_length,
                                                std::uint32_t output_length) {
  if (buffer.size() > kCallerBufferLimit) emulator_.Fail("a caller buffer larger than the bench's");
  auto& e = emulator_;
  const std::vector<std::uint8_t> zero(kDiocSize, 0);
  e.Write(kCaller, zero);
  e.Write(kCallerBuffer, buffer);
  e.Write32(kCallerReturned, 0xDEADBEEF);  // must be overwritten
  e.Write32(kCaller + kDiocVmHandle, kSystemVm);
  e.Write32(kCaller + kDiocDdb, image_.entry_ordinal_1);
  e.Write32(kCaller + kDiocCode, code);
  e.Write32(kCaller + kDiocInBuffer, buffer.empty() ? 0 : kCallerBuffer);
  e.Write32(kCaller + kDiocInSize, input_length);
  e.Write32(kCaller + kDiocOutBuffer, buffer.empty() ? 0 : kCallerBuffer);
  e.Write32(kCaller + kDiocOutSize, output_length);
  e.Write32(kCaller + kDiocBytesReturned, kCallerReturned);
  e.Write32(kCaller + kDiocDevice, 0x100);
  const Control control = SendControl(kW32DeviceIoControl, kCaller);
  if (control.carry != (control.eax != 0)) e.Fail("the carry flag and the error disagree");
  e.Read(kCallerBuffer, buffer);
  const std::uint32_t returned = e.Read32(kCallerReturned);
  // Open and close leave the count alone; VWIN32 reports 0 then.
  return {control.eax, returned == 0xDEADBEEF ? 0 : returned};
}

drivers::DispatchResult EmulatedVxd::Dispatch(std::uint32_t code, std::span<std::uint8_t> buffer,
                                              std::uint32_t input_length,
                                              std::uint32_t output_length) {
  const Reply reply = DeviceIoControl(code, buffer, input_length, output_length);
  return {StatusOf(reply.error), reply.bytes_returned};
}

bool EmulatedVxd::Exit() {
  if (exited_) return true;
  exited_ = true;
  return !SendControl(kSysDynamicDeviceExit, 0).carry;
}

}  // namespace tunora::emulator
