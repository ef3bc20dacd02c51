#include "sim/emulator/x86_emulator.h"

#include <unicorn/unicorn.h>

#include <cstdio>

namespace tunora::emulator {
namespace {

// How many instructions one call may run before the code is taken to be
// stuck. A bound on instructions rather than time: deterministic, and
// Unicorn's timer costs a thread per call.
constexpr std::uint64_t kInstructionLimit = 10'000'000;

// The emulator's own stack, and the address calls return to: reaching it
// ends the run.
constexpr std::uint32_t kStackBase = 0x8F000000;
constexpr std::uint32_t kStackSize = 0x10000;
constexpr std::uint32_t kReturnAddress = 0x8F100000;
constexpr std::uint32_t kReturnPageSize = 0x1000;

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

int UnicornRegister(X86Emulator::Reg reg) {
  switch (reg) {
    case X86Emulator::Reg::kEax:
      return UC_X86_REG_EAX;
    case X86Emulator::Reg::kEbx:
      return UC_X86_REG_EBX;
    case X86Emulator::Reg::kEsi:
      return UC_X86_REG_ESI;
    case X86Emulator::Reg::kEdi:
      return UC_X86_REG_EDI;
    case X86Emulator::Reg::kEflags:
      return UC_X86_REG_EFLAGS;
    case X86Emulator::Reg::kEcx:
      return UC_X86_REG_ECX;
    case X86Emulator::Reg::kEdx:
      return UC_X86_REG_EDX;
    case X86Emulator::Reg::kEsp:
      return UC_X86_REG_ESP;
    case X86Emulator::Reg::kEip:
      return UC_X86_REG_EIP;
  }
  return UC_X86_REG_INVALID;
}

// Runs a host handler from inside a hook. An exception must not unwind
// through the emulator's C frames: it stops the code with its reason.
template <typename Handler>
void FromHook(X86Emulator& emulator, const Handler& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    emulator.Stop(error.what());
  }
}

}  // namespace

X86Emulator::X86Emulator() {
  Check(uc_open(UC_ARCH_X86, UC_MODE_32, &uc_), "opening the emulator");
  uc_hook hook;
  Check(uc_hook_add(uc_, &hook, UC_HOOK_INTR, reinterpret_cast<void*>(&InterruptHook), this, 1, 0),
        "hooking interrupts");
  Check(uc_hook_add(uc_, &hook, UC_HOOK_INSN, reinterpret_cast<void*>(&InHook), this, 1, 0,
                    UC_X86_INS_IN),
        "hooking in");
  Check(uc_hook_add(uc_, &hook, UC_HOOK_INSN, reinterpret_cast<void*>(&OutHook), this, 1, 0,
                    UC_X86_INS_OUT),
        "hooking out");
  Map(kStackBase, kStackSize);
  Map(kReturnAddress, kReturnPageSize);
  const std::uint8_t hlt[] = {0xF4};
  Write(kReturnAddress, hlt);
}

X86Emulator::~X86Emulator() {
  if (uc_ != nullptr) uc_close(uc_);
}

void X86Emulator::Check(int error, const char* what) {
  if (error != UC_ERR_OK) {
    throw EmulationFault(std::string(what) + ": " + uc_strerror(static_cast<uc_err>(error)));
  }
}

void X86Emulator::Map(std::uint32_t address, std::uint32_t size) {
  Check(uc_mem_map(uc_, address, size, UC_PROT_ALL), "mapping memory");
}

void X86Emulator::Write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return;
  Check(uc_mem_write(uc_, address, bytes.data(), bytes.size()),
        ("writing at " + Hex(address)).c_str());
}

void X86Emulator::Read(std::uint32_t address, std::span<std::uint8_t> bytes) {
  if (bytes.empty()) return;
  Check(uc_mem_read(uc_, address, bytes.data(), bytes.size()),
        ("reading at " + Hex(address)).c_str());
}

std::vector<std::uint8_t> X86Emulator::Read(std::uint32_t address, std::uint32_t size) {
  std::vector<std::uint8_t> bytes(size);
  Read(address, bytes);
  return bytes;
}

std::uint32_t X86Emulator::Read32(std::uint32_t address) {
  std::uint8_t b[4];
  Read(address, b);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint16_t X86Emulator::Read16(std::uint32_t address) {
  std::uint8_t b[2];
  Read(address, b);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint8_t X86Emulator::Read8(std::uint32_t address) {
  std::uint8_t b[1];
  Read(address, b);
  return b[0];
}

void X86Emulator::Write32(std::uint32_t address, std::uint32_t value) {
  const std::uint8_t b[4] = {
      static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  Write(address, b);
}

void X86Emulator::Write16(std::uint32_t address, std::uint16_t value) {
  const std::uint8_t b[2] = {static_cast<std::uint8_t>(value),
                             static_cast<std::uint8_t>(value >> 8)};
  Write(address, b);
}

void X86Emulator::Write8(std::uint32_t address, std::uint8_t value) {
  const std::uint8_t b[1] = {value};
  Write(address, b);
}

std::uint32_t X86Emulator::Get(Reg reg) {
  std::uint32_t value = 0;
  Check(uc_reg_read(uc_, UnicornRegister(reg), &value), "reading a register");
  return value;
}

void X86Emulator::Set(Reg reg, std::uint32_t value) {
  Check(uc_reg_write(uc_, UnicornRegister(reg), &value), "writing a register");
}

void X86Emulator::OnInterrupt(std::uint8_t vector, std::function<void()> handler) {
  interrupts_[vector] = std::move(handler);
}

void X86Emulator::Stop(const std::string& what) {
  if (stop_reason_.empty()) stop_reason_ = what;
  uc_emu_stop(uc_);
}

void X86Emulator::Fail(const std::string& what) { throw EmulationFault(what); }

void X86Emulator::InterruptHook(uc_struct*, std::uint32_t intno, void* self) {
  auto* emulator = static_cast<X86Emulator*>(self);
  const auto it = emulator->interrupts_.find(static_cast<std::uint8_t>(intno));
  if (intno > 0xFF || it == emulator->interrupts_.end()) {
    emulator->Stop("interrupt or exception " + std::to_string(intno) + " at " +
                   Hex(emulator->Get(Reg::kEip)));
    return;
  }
  FromHook(*emulator, it->second);
}

std::uint32_t X86Emulator::InHook(uc_struct*, std::uint32_t port, int size, void* self) {
  auto* emulator = static_cast<X86Emulator*>(self);
  if (emulator->ports_ == nullptr) {
    emulator->Stop("in from port " + Hex(port) + " with no ports wired");
    return 0;
  }
  std::uint32_t value = 0;
  FromHook(*emulator, [&] {
    value = emulator->ports_->In(static_cast<std::uint16_t>(port), static_cast<unsigned>(size));
  });
  return value;
}

void X86Emulator::OutHook(uc_struct*, std::uint32_t port, int size, std::uint32_t value,
                          void* self) {
  auto* emulator = static_cast<X86Emulator*>(self);
  if (emulator->ports_ == nullptr) {
    emulator->Stop("out to port " + Hex(port) + " with no ports wired");
    return;
  }
  FromHook(*emulator, [&] {
    emulator->ports_->Out(static_cast<std::uint16_t>(port), static_cast<unsigned>(size), value);
  });
}

std::uint32_t X86Emulator::Call(std::uint32_t address, std::span<const std::uint32_t> args,
                                bool callee_pops) {
  std::uint32_t esp = kStackBase + kStackSize - 64;
  for (auto it = args.rbegin(); it != args.rend(); ++it) {
    esp -= 4;
    Write32(esp, *it);
  }
  esp -= 4;
  const std::uint32_t expected_esp =
      esp + 4 + (callee_pops ? 4 * static_cast<std::uint32_t>(args.size()) : 0);
  Set(Reg::kEcx, 0);
  Set(Reg::kEdx, 0);
  Run(address, esp, expected_esp);
  return Get(Reg::kEax);
}

void X86Emulator::CallWithRegisters(std::uint32_t address) {
  const std::uint32_t esp = kStackBase + kStackSize - 64 - 4;
  Run(address, esp, esp + 4);
}

void X86Emulator::Run(std::uint32_t address, std::uint32_t esp, std::uint32_t expected_esp) {
  if (running_) Fail("a call into emulated code from inside another");
  Write32(esp, kReturnAddress);
  Set(Reg::kEsp, esp);
  stop_reason_.clear();
  running_ = true;
  const uc_err error = uc_emu_start(uc_, address, kReturnAddress, 0, kInstructionLimit);
  running_ = false;
  const std::uint32_t eip = Get(Reg::kEip);
  if (!stop_reason_.empty()) Fail(stop_reason_);
  if (error != UC_ERR_OK) {
    Fail(std::string("emulated code at ") + Hex(eip) + ": " + uc_strerror(error));
  }
  if (eip != kReturnAddress) {
    Fail("emulated code stopped at " + Hex(eip) + " without returning (after at most " +
         std::to_string(kInstructionLimit) + " instructions)");
  }
  if (Get(Reg::kEsp) != expected_esp) {
    Fail("the call to " + Hex(address) + " left the stack at " + Hex(Get(Reg::kEsp)) +
         ", expected " + Hex(expected_esp));
  }
}

}  // namespace tunora::emulator
