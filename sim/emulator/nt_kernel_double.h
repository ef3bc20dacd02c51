// An NT kernel driver executed in the emulator on a double of the kernel.
//
// The double is a table of named services, each a few lines: the I/O
// manager's device and link calls, the pool, the run-time library's
// security-descriptor builders, SeAccessCheck evaluating the
// descriptor's access list for real, \Device\PhysicalMemory sections
// mapped into the calling process, and the HAL's configuration-space and
// bus-address calls. Configuration space, bus translation and physical
// views are passed to the same
// KernelServices the portable dispatch runs on, so both reach the same
// simulated card. Each service returns with the stack clean-up its
// export has (stdcall `ret N`, or fastcall with the first two arguments
// in ECX and EDX). Loading a driver that imports anything else fails, and
// so does any request the I/O manager would not accept back: a dispatch
// routine that leaves the request pending, completes it twice or returns
// another status than it completed with.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "hwaccess/drivers/dispatch.h"
#include "hwaccess/drivers/kernel_services.h"
#include "sim/emulator/pe_image.h"
#include "sim/emulator/x86_emulator.h"

namespace tunora::emulator {

// Who opens the device.
enum class NtCaller {
  kAdministrator,      // a user-mode program of a member of Administrators
  kLocalSystem,        // a user-mode service running as LocalSystem
  kPlainUser,          // a user-mode program of a member of Users only
  kKernel,             // another driver (requestor mode KernelMode)
  kNoSecurityContext,  // a user-mode create whose stack location has none
};

// The address the image is loaded at: not the preferred one of any
// driver built here, so every relocation is exercised.
inline constexpr std::uint32_t kNtImageBase = 0x80A00000;
// The space there, up to the double's own structures.
inline constexpr std::uint32_t kNtImageRoom = 0x00600000;

class EmulatedNtDriver {
 public:
  // Loads `image`, binds its imports and runs DriverEntry. Throws
  // EmulationFault or MalformedImage when that cannot be done.
  EmulatedNtDriver(std::span<const std::uint8_t> image, std::string_view service_name,
                   drivers::KernelServices& kernel);
  ~EmulatedNtDriver();
  EmulatedNtDriver(const EmulatedNtDriver&) = delete;
  EmulatedNtDriver& operator=(const EmulatedNtDriver&) = delete;

  drivers::NtStatus entry_status() const { return entry_status_; }
  const LoadedPe& image() const { return image_; }

  // The kernel of the process that sends the next requests.
  void SetKernel(drivers::KernelServices& kernel) { kernel_ = &kernel; }

  // IRP_MJ_CREATE: the status, and on success the file object the
  // further requests name.
  struct Opened {
    drivers::NtStatus status = 0;
    std::uint32_t file = 0;
  };
  Opened Create(NtCaller caller);
  drivers::NtStatus Close(std::uint32_t file);
  // IRP_MJ_DEVICE_CONTROL, buffered: `system_buffer` is what the I/O
  // manager copies in (its size is max(input, output)) and gets the
  // bytes the driver left there.
  drivers::DispatchResult DeviceControl(std::uint32_t file, std::uint32_t code,
                                        std::span<std::uint8_t> system_buffer,
                                        std::uint32_t input_length, std::uint32_t output_length);
  // Runs DriverUnload (once; the destructor does it otherwise).
  void Unload();

  // What the driver left with the kernel.
  std::vector<std::string> DeviceNames() const;
  std::vector<std::string> LinkNames() const;
  std::size_t OpenKernelHandles() const { return handles_.size(); }
  std::size_t PoolBlocks() const { return pool_blocks_.size(); }
  // The arguments of the last ZwMapViewOfSection.
  struct ViewRequest {
    std::uint32_t inherit = 0;
    std::uint32_t protect = 0;
  };
  ViewRequest last_view() const { return last_view_; }

 private:
  struct Service;
  struct Device {
    std::string name;
    std::uint32_t extension = 0;
  };
  void BuildServices();
  std::uint32_t Bind(const std::string& module, const std::string& name);
  void RunService();
  std::uint32_t Arg(int index);
  std::uint32_t Allocate(std::uint64_t size);
  std::string UnicodeString(std::uint32_t address);
  std::uint32_t SidLength(std::uint32_t sid);
  std::vector<std::uint8_t> Sid(std::uint32_t sid);
  bool SeAccessCheck();
  drivers::NtStatus Dispatch(int major, std::uint32_t irp, std::uint32_t device);
  drivers::NtStatus SendCreateOrClose(int major, std::uint32_t file, NtCaller caller);
  std::uint32_t FirstDevice();

  X86Emulator emulator_;
  drivers::KernelServices* kernel_;
  std::vector<Service> services_;
  const Service* current_ = nullptr;
  LoadedPe image_;
  drivers::NtStatus entry_status_ = 0;
  bool unloaded_ = false;

  std::uint32_t pool_next_ = 0;
  std::map<std::uint32_t, std::uint32_t> pool_blocks_;  // driver allocations: address, size
  std::map<std::uint32_t, Device> devices_;             // by device object
  std::map<std::string, std::string> links_;            // link name: device name
  std::map<std::uint32_t, std::string> handles_;        // kernel handle: object name
  std::uint32_t next_handle_ = 0x80000004;
  std::set<std::uint32_t> open_files_;
  std::uint32_t next_file_ = 0;
  std::uint32_t current_irp_ = 0;
  int completions_ = 0;
  ViewRequest last_view_;
};

}  // namespace tunora::emulator
