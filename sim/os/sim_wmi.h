// Management instrumentation on the simulated PC: a repository of class
// instances (one namespace) behind the WMI port, answering with the
// HRESULTs Windows gives, plus fault switches for the failures a real
// machine shows (WMI not installed, a bad namespace, a missing class, a
// fetch that times out or fails, an enumeration that does not start).
// Without a namespace COM initialises and the locator is created, but
// connecting fails with WBEM_E_INVALID_NAMESPACE.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wmi.h"

namespace tunora::sim {

inline constexpr HResult kCoENotInitialized = MakeHResult(0x800401F0u);
inline constexpr HResult kRegDbEClassNotReg = MakeHResult(0x80040154u);

struct WmiProperty {
  std::string name;
  WmiValue value;
};
using WmiInstance = std::vector<WmiProperty>;

struct WmiClass {
  std::string name;
  std::vector<WmiInstance> instances;  // in enumeration order
};

// The `at`-th call of Next (from 1) on an enumerator of the class answers
// `result`; with `object` it still delivers the next instance (a
// non-failure such as WBEM_S_TIMEDOUT only).
struct WmiFetchFault {
  std::string class_name;
  std::uint32_t at = 1;
  HResult result = kWbemSTimedOut;
  bool object = false;
};

struct WmiRepository {
  std::string namespace_path;  // empty: no namespace at all
  std::vector<WmiClass> classes;
  std::optional<HResult> initialize_result;  // CoInitialize fails with it
  std::optional<HResult> security_result;    // CoInitializeSecurity fails with it
  std::optional<HResult> locator_result;     // CoCreateInstance fails with it
  std::optional<HResult> connect_result;     // ConnectServer fails with it
  std::vector<std::pair<std::string, HResult>> enumerate_results;  // per class
  std::vector<WmiFetchFault> fetch_faults;
};

// "\\.\root\cimv2", "root\cimv2" and "//./ROOT/CIMV2" name one namespace,
// as they do for ConnectServer.
bool SameNamespace(std::string_view a, std::string_view b);

class SimWmi : public Wmi {
 public:
  SimWmi() = default;
  explicit SimWmi(WmiRepository repository) : repository_(std::move(repository)) {}

  HResult Initialize() override;
  void Uninitialize() override;
  HResult InitializeSecurity(std::uint32_t authn_level, std::uint32_t imp_level) override;
  HResult CreateLocator(WmiHandle* locator) override;
  HResult ConnectServer(WmiHandle locator, std::string_view namespace_path,
                        WmiHandle* services) override;
  HResult SetProxyBlanket(WmiHandle services, std::uint32_t authn_service,
                          std::uint32_t authn_level, std::uint32_t imp_level) override;
  HResult CreateInstanceEnum(WmiHandle services, std::string_view class_name, std::int32_t flags,
                             WmiHandle* enumerator) override;
  HResult Next(WmiHandle enumerator, std::int32_t timeout_ms, WmiHandle* object,
               std::uint32_t* returned) override;
  HResult Get(WmiHandle object, std::string_view property, WmiValue* value) override;
  std::uint32_t Release(WmiHandle handle) override;

  // Handles handed out and not yet released: a program that releases what
  // it gets leaves none.
  std::size_t OpenHandles() const { return handles_.size(); }

 private:
  enum class Kind : std::uint8_t { kLocator, kServices, kEnumerator, kObject };
  struct Entry {
    Kind kind;
    std::size_t class_index = 0;
    std::size_t position = 0;  // enumerator: next instance; object: its instance
    std::uint32_t fetches = 0;
  };

  WmiHandle Add(Entry entry);
  Entry* Find(WmiHandle handle, Kind kind);

  WmiRepository repository_;
  std::map<WmiHandle, Entry> handles_;
  WmiHandle next_handle_ = 1;
  int initialised_ = 0;
  bool security_set_ = false;
};

}  // namespace tunora::sim
