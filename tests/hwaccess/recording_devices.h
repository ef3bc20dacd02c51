// A Devices port between the program and the simulated service manager
// that writes down each service and device call with its outcome, so a
// test can follow a deployment step by step, and lets the test look at
// the machine at the moment a device is opened.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/devices.h"

namespace tunora::testing {

class RecordingDevices : public Devices {
 public:
  explicit RecordingDevices(Devices& inner) : inner_(inner) {}

  // Runs before every CreateFile, with the path asked for.
  std::function<void(std::string_view path)> before_open;

  Handle OpenSCManager(std::uint32_t access) override {
    return Note("OpenSCManager", inner_.OpenSCManager(access));
  }
  Handle CreateService(Handle manager, std::string_view name, std::string_view display_name,
                       std::uint32_t access, std::uint32_t service_type, std::uint32_t start_type,
                       std::uint32_t error_control, std::string_view image_path) override {
    return Note("CreateService " + std::string(name),
                inner_.CreateService(manager, name, display_name, access, service_type, start_type,
                                     error_control, image_path));
  }
  Handle OpenService(Handle manager, std::string_view name, std::uint32_t access) override {
    return Note("OpenService " + std::string(name), inner_.OpenService(manager, name, access));
  }
  bool StartService(Handle service) override {
    return Note("StartService", inner_.StartService(service));
  }
  bool ControlService(Handle service, std::uint32_t control) override {
    return Note("ControlService " + std::to_string(control),
                inner_.ControlService(service, control));
  }
  bool DeleteService(Handle service) override {
    return Note("DeleteService", inner_.DeleteService(service));
  }
  bool CloseServiceHandle(Handle handle) override {
    return Note("CloseServiceHandle", inner_.CloseServiceHandle(handle));
  }
  Handle CreateFile(std::string_view path, std::uint32_t access, std::uint32_t share,
                    std::uint32_t disposition, std::uint32_t flags) override {
    if (before_open) before_open(path);
    const Handle handle = inner_.CreateFile(path, access, share, disposition, flags);
    calls.push_back("CreateFile " + std::string(path) +
                    (handle == kInvalidHandleValue ? " failed" : ""));
    return handle;
  }
  bool DeviceIoControl(Handle device, std::uint32_t code, const void* in, std::uint32_t in_size,
                       void* out, std::uint32_t out_size, std::uint32_t* returned,
                       Overlapped* overlapped) override {
    ++requests;
    return inner_.DeviceIoControl(device, code, in, in_size, out, out_size, returned, overlapped);
  }
  bool GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* returned,
                           bool wait) override {
    return inner_.GetOverlappedResult(device, overlapped, returned, wait);
  }
  Handle CreateEvent(bool manual_reset, bool initial_state) override {
    return Note("CreateEvent", inner_.CreateEvent(manual_reset, initial_state));
  }
  bool CloseHandle(Handle handle) override {
    return Note("CloseHandle", inner_.CloseHandle(handle));
  }
  std::uint32_t GetLastError() override { return inner_.GetLastError(); }

  // How many calls begin with `prefix`.
  int Count(std::string_view prefix) const {
    int n = 0;
    for (const std::string& call : calls) n += call.starts_with(prefix) ? 1 : 0;
    return n;
  }

  std::vector<std::string> calls;  // "OpenService hwgate4", "StartService failed", ...
  int requests = 0;

 private:
  Handle Note(std::string call, Handle handle) {
    calls.push_back(call + (handle == kNullHandle ? " failed" : ""));
    return handle;
  }
  bool Note(std::string call, bool ok) {
    calls.push_back(call + (ok ? "" : " failed"));
    return ok;
  }

  Devices& inner_;
};

}  // namespace tunora::testing
