// <windows.h> for the adapters, without the macros that would rename the
// ports' own members (CreateFile, CreateService, MessageBox, DialogBox,
// ExitWindows, ...), and the conversions between the ports' 32-bit
// handles and Win32's.
#pragma once

#include <windows.h>

#include <cstdint>

#undef CreateEvent
#undef CreateFile
#undef CreateService
#undef DeleteFile
#undef DialogBox
#undef ExitWindows
#undef MessageBox
#undef OpenSCManager
#undef OpenService
#undef PropertySheet
#undef StartService

namespace tunora::win32 {

// The ports carry handles as 32-bit numbers, which is what a Win32 handle
// is on this target.
static_assert(sizeof(HANDLE) == sizeof(std::uint32_t), "a 32-bit Windows target");

template <typename T>
inline T FromNumber(std::uint32_t number) {
  return reinterpret_cast<T>(static_cast<std::uintptr_t>(number));
}

template <typename T>
inline std::uint32_t ToNumber(T handle) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle));
}

// A function a target may lack, looked up by name in a system DLL that
// every target has; null when it is not there.
template <typename F>
F Resolve(const char* dll, const char* name) {
  HMODULE module = GetModuleHandleA(dll);
  if (module == nullptr) module = LoadLibraryA(dll);
  if (module == nullptr) return nullptr;
  // void(*)() is the generic function pointer GCC accepts casts through.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace tunora::win32
