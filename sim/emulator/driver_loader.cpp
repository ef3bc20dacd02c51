#include "sim/emulator/driver_loader.h"

#include <atomic>
#include <memory>

#include "sim/emulator/image_bytes.h"
#include "sim/emulator/nt_kernel_double.h"
#include "sim/emulator/vxd_double.h"

namespace tunora::emulator {
namespace {

std::atomic<std::uint64_t> g_requests_served{0};

std::span<const std::uint8_t> Bytes(std::string_view image) {
  return {reinterpret_cast<const std::uint8_t*>(image.data()), image.size()};
}

// Runs one call into a driver; a fault of the emulated code becomes the
// simulated PC's driver fault, which ends the program run with its reason.
template <typename Call>
auto Faulting(const char* driver, Call&& call) {
  try {
    return call();
  } catch (const EmulationFault& fault) {
    throw sim::DriverFault(std::string(driver) + " faulted: " + fault.what());
  }
}

class ExecutedNtDriver final : public sim::ExecutedDriver {
 public:
  ExecutedNtDriver(std::string_view image, const char* service, drivers::KernelServices& kernel)
      : driver_(Bytes(image), service, kernel), service_(service) {}
  bool started() const { return drivers::NtSuccess(driver_.entry_status()); }

  // The programs run as the profile's user; an administrator's token
  // passes the device's access check, a plain user's does not.
  std::optional<std::uint32_t> Open(drivers::KernelServices& kernel, bool administrator) override {
    driver_.SetKernel(kernel);
    const auto opened = Faulting(service_, [&] {
      return driver_.Create(administrator ? NtCaller::kAdministrator : NtCaller::kPlainUser);
    });
    if (!drivers::NtSuccess(opened.status)) return std::nullopt;
    return opened.file;
  }
  void Close(drivers::KernelServices& kernel, std::uint32_t handle) override {
    driver_.SetKernel(kernel);
    Faulting(service_, [&] { return driver_.Close(handle); });
  }
  drivers::DispatchResult DeviceControl(drivers::KernelServices& kernel, std::uint32_t handle,
                                        std::uint32_t code, std::span<std::uint8_t> system_buffer,
                                        std::uint32_t input_length,
                                        std::uint32_t output_length) override {
    driver_.SetKernel(kernel);
    ++g_requests_served;
    return Faulting(service_, [&] {
      return driver_.DeviceControl(handle, code, system_buffer, input_length, output_length);
    });
  }

 private:
  EmulatedNtDriver driver_;
  const char* service_;
};

constexpr const char* kVxdName = "Hwgt9x";

// One load of the virtual device per open handle, as the programs use it:
// the open loads and initialises it, the close unloads it.
class ExecutedVxd final : public sim::ExecutedDriver {
 public:
  ExecutedVxd(std::string_view image, drivers::KernelServices& kernel)
      : vxd_(Bytes(image), kernel) {}
  bool started() const { return vxd_.initialised(); }

  std::optional<std::uint32_t> Open(drivers::KernelServices& kernel, bool) override {
    vxd_.SetKernel(kernel);
    std::uint8_t none[1] = {};
    const auto opened = Faulting(kVxdName, [&] {
      return vxd_.DeviceIoControl(kDiocOpen, {none, 0}, 0, 0);
    });
    if (opened.error != 0) return std::nullopt;
    return 1;
  }
  void Close(drivers::KernelServices& kernel, std::uint32_t) override {
    vxd_.SetKernel(kernel);
    std::uint8_t none[1] = {};
    Faulting(kVxdName, [&] { return vxd_.DeviceIoControl(kDiocClose, {none, 0}, 0, 0); });
  }
  drivers::DispatchResult DeviceControl(drivers::KernelServices& kernel, std::uint32_t,
                                        std::uint32_t code, std::span<std::uint8_t> system_buffer,
                                        std::uint32_t input_length,
                                        std::uint32_t output_length) override {
    vxd_.SetKernel(kernel);
    ++g_requests_served;
    return Faulting(
        kVxdName, [&] { return vxd_.Dispatch(code, system_buffer, input_length, output_length); });
  }

 private:
  EmulatedVxd vxd_;
};

template <typename T, typename... Args>
std::shared_ptr<sim::ExecutedDriver> Start(Args&&... args) {
  std::shared_ptr<T> driver;
  try {
    driver = std::make_shared<T>(std::forward<Args>(args)...);
  } catch (const MalformedImage&) {
    return nullptr;  // not an image the system loads
  } catch (const EmulationFault& fault) {
    throw sim::DriverFault(std::string("a driver faulted while loading: ") + fault.what());
  }
  if (!driver->started()) return nullptr;
  return driver;
}

}  // namespace

std::uint64_t EmulatedRequestsServed() { return g_requests_served; }

sim::DriverLoader EmulatedDriverLoader() {
  return [](DriverKind kind, std::string_view image,
            drivers::KernelServices& kernel) -> std::shared_ptr<sim::ExecutedDriver> {
    switch (kind) {
      case DriverKind::kHwgate2:
        return Start<ExecutedNtDriver>(image, "hwgate2", kernel);
      case DriverKind::kHwgate4:
        return Start<ExecutedNtDriver>(image, "hwgate4", kernel);
      case DriverKind::kHwgt9x:
        return Start<ExecutedVxd>(image, kernel);
    }
    return nullptr;
  };
}

}  // namespace tunora::emulator
