// Management-instrumentation port: COM initialisation, the WMI locator,
// services, instance enumerators and class objects, shaped after the COM
// calls so the Windows adapter is a pass-through and the simulated PC
// answers with the same HRESULTs. Interfaces travel as 32-bit handles, as
// the other ports' handles do; each handle a call hands out is given back
// with Release.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tunora {

using HResult = std::int32_t;
using WmiHandle = std::uint32_t;
inline constexpr WmiHandle kNullWmiHandle = 0;

constexpr HResult MakeHResult(std::uint32_t bits) { return static_cast<HResult>(bits); }
constexpr bool Failed(HResult result) { return result < 0; }

// Results the calls return. Negative means failure.
inline constexpr HResult kSOk = 0;
inline constexpr HResult kSFalse = 1;
inline constexpr HResult kWbemSTimedOut = MakeHResult(0x00040004u);
inline constexpr HResult kENotImpl = MakeHResult(0x80004001u);
inline constexpr HResult kEOutOfMemory = MakeHResult(0x8007000Eu);
inline constexpr HResult kRpcETooLate = MakeHResult(0x80010119u);
inline constexpr HResult kRpcENoGoodSecurityPackages = MakeHResult(0x8001011Au);
inline constexpr HResult kWbemEFailed = MakeHResult(0x80041001u);
inline constexpr HResult kWbemENotFound = MakeHResult(0x80041002u);
inline constexpr HResult kWbemEAccessDenied = MakeHResult(0x80041003u);
inline constexpr HResult kWbemEOutOfMemory = MakeHResult(0x80041006u);
inline constexpr HResult kWbemEInvalidParameter = MakeHResult(0x80041008u);
inline constexpr HResult kWbemEInvalidNamespace = MakeHResult(0x8004100Eu);
inline constexpr HResult kWbemEInvalidClass = MakeHResult(0x80041010u);
inline constexpr HResult kWbemETransportFailure = MakeHResult(0x80041015u);
inline constexpr HResult kWbemEUnexpected = MakeHResult(0x8004101Du);

// CreateInstanceEnum flags.
inline constexpr std::int32_t kWbemFlagShallow = 0x1;
inline constexpr std::int32_t kWbemFlagReturnImmediately = 0x10;
inline constexpr std::int32_t kWbemFlagForwardOnly = 0x20;
// Next's time-out that waits for ever.
inline constexpr std::int32_t kWbemInfinite = -1;

// Security levels of CoInitializeSecurity and CoSetProxyBlanket.
inline constexpr std::uint32_t kRpcCAuthnLevelNone = 1;
inline constexpr std::uint32_t kRpcCAuthnLevelCall = 3;
inline constexpr std::uint32_t kRpcCImpLevelImpersonate = 3;
inline constexpr std::uint32_t kRpcCAuthnWinNt = 10;

// A property's value, as far as the programs read VARIANTs: VT_EMPTY and
// VT_NULL are kNull, strings kText (ANSI), integer kinds whose 32 bits
// hold the value kInt32 (VT_UI4 as V_I4 reads it), VT_BOOL kBool; anything
// else is kOther.
enum class WmiType : std::uint8_t { kNull, kText, kInt32, kBool, kOther };

struct WmiValue {
  WmiType type = WmiType::kNull;
  std::string text;
  std::int32_t number = 0;
  bool boolean = false;
};

class Wmi {
 public:
  virtual ~Wmi() = default;

  // CoInitialize(NULL): kSOk, kSFalse when already initialised, or a
  // failure. Each success is matched by one Uninitialize.
  virtual HResult Initialize() = 0;
  virtual void Uninitialize() = 0;
  // CoInitializeSecurity with the default descriptor and authentication
  // services and no capabilities. kENotImpl where COM lacks the call.
  virtual HResult InitializeSecurity(std::uint32_t authn_level, std::uint32_t imp_level) = 0;
  // CoCreateInstance of the WMI locator, in-process server.
  virtual HResult CreateLocator(WmiHandle* locator) = 0;
  // IWbemLocator::ConnectServer with no user, password, locale or
  // authority and flags 0.
  virtual HResult ConnectServer(WmiHandle locator, std::string_view namespace_path,
                                WmiHandle* services) = 0;
  // CoSetProxyBlanket on a services handle, no principal, identity or
  // capabilities. kENotImpl where COM lacks the call.
  virtual HResult SetProxyBlanket(WmiHandle services, std::uint32_t authn_service,
                                  std::uint32_t authn_level, std::uint32_t imp_level) = 0;
  // IWbemServices::CreateInstanceEnum.
  virtual HResult CreateInstanceEnum(WmiHandle services, std::string_view class_name,
                                     std::int32_t flags, WmiHandle* enumerator) = 0;
  // IEnumWbemClassObject::Next for one object: *returned is 1 when
  // *object holds one.
  virtual HResult Next(WmiHandle enumerator, std::int32_t timeout_ms, WmiHandle* object,
                       std::uint32_t* returned) = 0;
  // IWbemClassObject::Get.
  virtual HResult Get(WmiHandle object, std::string_view property, WmiValue* value) = 0;
  // IUnknown::Release: the count of references left.
  virtual std::uint32_t Release(WmiHandle handle) = 0;
};

}  // namespace tunora
