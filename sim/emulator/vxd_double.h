// A Windows 9x virtual device executed in the emulator, as the 9x device
// loader and VWIN32 drive it: the LE file loaded with its fixups, the
// Device Descriptor Block found through export ordinal 1, its control
// procedure sent the dynamic init and exit messages and W32_DEVICEIOCONTROL
// with a DIOCParams record, VMM services called by `int 20h` answered from
// a table of named services (an unknown one is a fault), and `in`/`out` on
// the PCI configuration ports decoded as the host bridge does (mechanism
// 1) into the same KernelServices the portable dispatch runs on. Each
// address/data pair must run with interrupts off; any other port, or a
// configuration access with interrupts on, is a fault.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/kernel_services.h"
#include "sim/emulator/le_image.h"
#include "sim/emulator/x86_emulator.h"

namespace tunora::emulator {

// Where the objects go: not their recorded relocation bases.
inline constexpr std::uint32_t kVxdObjectBase = 0xC1000000;

class EmulatedVxd {
 public:
  // Loads the file and sends Sys_Dynamic_Device_Init. Throws
  // EmulationFault or MalformedImage when that cannot be done.
  EmulatedVxd(std::span<const std::uint8_t> image, drivers::KernelServices& kernel);
  // Sends Sys_Dynamic_Device_Exit unless Exit did.
  ~EmulatedVxd();
  EmulatedVxd(const EmulatedVxd&) = delete;
  EmulatedVxd& operator=(const EmulatedVxd&) = delete;

  bool initialised() const { return initialised_; }
  const LoadedLe& image() const { return image_; }
  std::string ddb_name() const { return ddb_name_; }
  void SetKernel(drivers::KernelServices& kernel) { kernel_ = &kernel; }

  // W32_DEVICEIOCONTROL with the caller's input and output buffer both
  // at `buffer` (as the programs send them): the Win32 error the control
  // procedure returned and the bytes it reported.
  struct Reply {
    std::uint32_t error = 0;
    std::uint32_t bytes_returned = 0;
  };
  Reply DeviceIoControl(std::uint32_t code, std::span<std::uint8_t> buffer,
                        std::uint32_t input_length, std::uint32_t output_length);
  // The same as the portable dispatch reports it: the status the error
  // code stands for.
  drivers::DispatchResult Dispatch(std::uint32_t code, std::span<std::uint8_t> buffer,
                                   std::uint32_t input_length, std::uint32_t output_length);
  // Sys_Dynamic_Device_Exit; whether the device agreed.
  bool Exit();

  std::uint64_t vmm_calls() const { return vmm_calls_; }

 private:
  struct Control {
    std::uint32_t eax = 0;
    bool carry = false;
  };
  Control SendControl(std::uint32_t message, std::uint32_t esi);
  void RunVmmService();

  // The device's own in and out instructions.
  class Ports final : public PortHandler {
   public:
    explicit Ports(EmulatedVxd& vxd) : vxd_(vxd) {}
    std::uint32_t In(std::uint16_t port, unsigned size) override;
    void Out(std::uint16_t port, unsigned size, std::uint32_t value) override;

   private:
    void CheckInterruptsOff(std::uint16_t port);
    EmulatedVxd& vxd_;
    std::uint32_t address_ = 0;  // the 0xCF8 latch
  };

  X86Emulator emulator_;
  drivers::KernelServices* kernel_;
  Ports ports_{*this};
  LoadedLe image_;
  std::uint32_t control_proc_ = 0;
  std::string ddb_name_;
  bool initialised_ = false;
  bool exited_ = false;
  std::uint64_t vmm_calls_ = 0;
};

}  // namespace tunora::emulator
