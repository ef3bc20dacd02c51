// A 32-bit x86 machine on the Unicorn CPU emulator, as a kernel-mode
// driver sees it: flat memory regions mapped on demand, software
// interrupts and the in/out instructions handed to the host, and calls
// into emulated code that return to the host when the callee returns.
// Anything the emulated code does that the host did not arrange for (a
// touch of unmapped memory, an unknown interrupt, a processor exception)
// ends the call with an EmulationFault naming it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct uc_struct;

namespace tunora::emulator {

class EmulationFault : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The in/out instructions of the emulated code.
class PortHandler {
 public:
  virtual ~PortHandler() = default;
  virtual std::uint32_t In(std::uint16_t port, unsigned size) = 0;
  virtual void Out(std::uint16_t port, unsigned size, std::uint32_t value) = 0;
};

class X86Emulator {
 public:
  X86Emulator();
  ~X86Emulator();
  X86Emulator(const X86Emulator&) = delete;
  X86Emulator& operator=(const X86Emulator&) = delete;

  // Maps [address, address + size) readable, writable and executable;
  // both page aligned.
  void Map(std::uint32_t address, std::uint32_t size);

  void Write(std::uint32_t address, std::span<const std::uint8_t> bytes);
  void Read(std::uint32_t address, std::span<std::uint8_t> bytes);
  std::vector<std::uint8_t> Read(std::uint32_t address, std::uint32_t size);
  std::uint32_t Read32(std::uint32_t address);
  std::uint16_t Read16(std::uint32_t address);
  std::uint8_t Read8(std::uint32_t address);
  void Write32(std::uint32_t address, std::uint32_t value);
  void Write16(std::uint32_t address, std::uint16_t value);
  void Write8(std::uint32_t address, std::uint8_t value);

  enum class Reg { kEax, kEbx, kEcx, kEdx, kEsi, kEdi, kEsp, kEip, kEflags };
  std::uint32_t Get(Reg reg);
  void Set(Reg reg, std::uint32_t value);

  // `int n` with this vector calls `handler`; EIP then points past the
  // instruction. Other vectors fault.
  void OnInterrupt(std::uint8_t vector, std::function<void()> handler);
  void SetPortHandler(PortHandler* ports) { ports_ = ports; }

  // Calls the stdcall or cdecl function at `address` with `args` pushed
  // right to left, on the emulator's own stack, and returns EAX. The
  // stack pointer after the return tells whether the callee removed its
  // arguments (stdcall) or left them (cdecl); `callee_pops` says which is
  // expected, and a mismatch is a fault.
  std::uint32_t Call(std::uint32_t address, std::span<const std::uint32_t> args, bool callee_pops);

  // Calls the routine at `address` with the registers as the caller set
  // them (a register-convention entry such as a VxD's control procedure):
  // only the return address is pushed, and the routine must return with
  // the stack as it found it.
  void CallWithRegisters(std::uint32_t address);

  // A handler may end the running call with a fault of its own.
  [[noreturn]] void Fail(const std::string& what);
  // From inside a handler: stops the run; Call then throws `what`.
  void Stop(const std::string& what);

 private:
  static void InterruptHook(uc_struct* uc, std::uint32_t intno, void* self);
  static std::uint32_t InHook(uc_struct* uc, std::uint32_t port, int size, void* self);
  static void OutHook(uc_struct* uc, std::uint32_t port, int size, std::uint32_t value, void* self);
  void Check(int error, const char* what);
  void Run(std::uint32_t address, std::uint32_t esp, std::uint32_t expected_esp);

  uc_struct* uc_ = nullptr;
  std::map<std::uint8_t, std::function<void()>> interrupts_;
  PortHandler* ports_ = nullptr;
  std::string stop_reason_;
  bool running_ = false;
};

}  // namespace tunora::emulator
