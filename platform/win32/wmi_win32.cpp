#include "platform/win32/wmi_win32.h"

#include <string>

#include "platform/win32/windows_api.h"
// After windows_api.h, which includes <windows.h> first.
#include <wbemcli.h>

namespace tunora::win32 {
namespace {

static_assert(kWbemSTimedOut == WBEM_S_TIMEDOUT &&
              kWbemEInvalidNamespace == MakeHResult(WBEM_E_INVALID_NAMESPACE) &&
              kWbemEInvalidClass == MakeHResult(WBEM_E_INVALID_CLASS) &&
              kRpcETooLate == RPC_E_TOO_LATE && kENotImpl == E_NOTIMPL);
static_assert(kWbemFlagForwardOnly == WBEM_FLAG_FORWARD_ONLY &&
              kWbemFlagReturnImmediately == WBEM_FLAG_RETURN_IMMEDIATELY &&
              kWbemFlagShallow == WBEM_FLAG_SHALLOW &&
              kWbemInfinite == static_cast<std::int32_t>(WBEM_INFINITE));
static_assert(kRpcCAuthnLevelNone == RPC_C_AUTHN_LEVEL_NONE &&
              kRpcCAuthnLevelCall == RPC_C_AUTHN_LEVEL_CALL &&
              kRpcCImpLevelImpersonate == RPC_C_IMP_LEVEL_IMPERSONATE &&
              kRpcCAuthnWinNt == RPC_C_AUTHN_WINNT);

// The COM and OLE automation calls, found once.
struct Com {
  decltype(&::CoInitialize) initialize = Resolve<decltype(initialize)>("ole32.dll", "CoInitialize");
  decltype(&::CoUninitialize) uninitialize =
      Resolve<decltype(uninitialize)>("ole32.dll", "CoUninitialize");
  decltype(&::CoInitializeSecurity) initialize_security =
      Resolve<decltype(initialize_security)>("ole32.dll", "CoInitializeSecurity");
  decltype(&::CoCreateInstance) create_instance =
      Resolve<decltype(create_instance)>("ole32.dll", "CoCreateInstance");
  decltype(&::CoSetProxyBlanket) set_proxy_blanket =
      Resolve<decltype(set_proxy_blanket)>("ole32.dll", "CoSetProxyBlanket");
  decltype(&::SysAllocString) alloc_string =
      Resolve<decltype(alloc_string)>("oleaut32.dll", "SysAllocString");
  decltype(&::SysFreeString) free_string =
      Resolve<decltype(free_string)>("oleaut32.dll", "SysFreeString");
  decltype(&::SysStringLen) string_length =
      Resolve<decltype(string_length)>("oleaut32.dll", "SysStringLen");
  decltype(&::VariantClear) variant_clear =
      Resolve<decltype(variant_clear)>("oleaut32.dll", "VariantClear");
};

const Com& Calls() {
  static const Com com;
  return com;
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(text.size(), L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
  wide.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  return wide;
}

// A BSTR whole: it carries its length and may hold NULs, which the log
// shows as "?" like any other control character.
std::string Ansi(BSTR text) {
  if (text == nullptr || Calls().string_length == nullptr) return {};
  const int length = static_cast<int>(Calls().string_length(text));
  if (length <= 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string ansi(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, ansi.data(), size, nullptr, nullptr);
  return ansi;
}

// A BSTR for the life of the object; null when OLE automation is missing
// or out of memory.
class Bstr {
 public:
  explicit Bstr(std::string_view text) {
    if (Calls().alloc_string != nullptr) bstr_ = Calls().alloc_string(Wide(text).c_str());
  }
  ~Bstr() {
    if (bstr_ != nullptr) Calls().free_string(bstr_);
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return bstr_; }

 private:
  BSTR bstr_ = nullptr;
};

// The property value as the port carries it.
WmiValue Convert(const VARIANT& variant) {
  WmiValue value;
  auto number = [&value](std::int32_t n) {
    value.type = WmiType::kInt32;
    value.number = n;
  };
  switch (variant.vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BSTR:
      value.type = WmiType::kText;
      value.text = Ansi(variant.bstrVal);
      break;
    case VT_BOOL:
      value.type = WmiType::kBool;
      value.boolean = variant.boolVal != VARIANT_FALSE;
      break;
    case VT_I1:
      number(variant.cVal);
      break;
    case VT_UI1:
      number(variant.bVal);
      break;
    case VT_I2:
      number(variant.iVal);
      break;
    case VT_UI2:
      number(variant.uiVal);
      break;
    case VT_I4:
      number(static_cast<std::int32_t>(variant.lVal));
      break;
    case VT_INT:
      number(variant.intVal);
      break;
    // The bits as V_I4 reads them.
    case VT_UI4:
      number(static_cast<std::int32_t>(variant.ulVal));
      break;
    case VT_UINT:
      number(static_cast<std::int32_t>(variant.uintVal));
      break;
    default:
      value.type = WmiType::kOther;
      break;
  }
  return value;
}

}  // namespace

HResult Win32Wmi::Initialize() {
  if (Calls().initialize == nullptr) return kENotImpl;
  return Calls().initialize(nullptr);
}

void Win32Wmi::Uninitialize() {
  if (Calls().uninitialize != nullptr) Calls().uninitialize();
}

HResult Win32Wmi::InitializeSecurity(std::uint32_t authn_level, std::uint32_t imp_level) {
  if (Calls().initialize_security == nullptr) return kENotImpl;
  return Calls().initialize_security(nullptr, -1, nullptr, nullptr, authn_level, imp_level, nullptr,
                                     EOAC_NONE, nullptr);
}

HResult Win32Wmi::CreateLocator(WmiHandle* locator) {
  *locator = kNullWmiHandle;
  if (Calls().create_instance == nullptr) return kENotImpl;
  IWbemLocator* created = nullptr;
  const HRESULT result =
      Calls().create_instance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              reinterpret_cast<void**>(&created));
  if (SUCCEEDED(result)) *locator = ToNumber(created);
  return result;
}

HResult Win32Wmi::ConnectServer(WmiHandle locator, std::string_view namespace_path,
                                WmiHandle* services) {
  *services = kNullWmiHandle;
  const Bstr path(namespace_path);
  if (path.get() == nullptr) return kEOutOfMemory;
  IWbemServices* connected = nullptr;
  const HRESULT result = FromNumber<IWbemLocator*>(locator)->ConnectServer(
      path.get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr, &connected);
  if (SUCCEEDED(result)) *services = ToNumber(connected);
  return result;
}

HResult Win32Wmi::SetProxyBlanket(WmiHandle services, std::uint32_t authn_service,
                                  std::uint32_t authn_level, std::uint32_t imp_level) {
  if (Calls().set_proxy_blanket == nullptr) return kENotImpl;
  return Calls().set_proxy_blanket(FromNumber<IUnknown*>(services), authn_service, RPC_C_AUTHZ_NONE,
                                   nullptr, authn_level, imp_level, nullptr, EOAC_NONE);
}

HResult Win32Wmi::CreateInstanceEnum(WmiHandle services, std::string_view class_name,
                                     std::int32_t flags, WmiHandle* enumerator) {
  *enumerator = kNullWmiHandle;
  const Bstr name(class_name);
  if (name.get() == nullptr) return kEOutOfMemory;
  IEnumWbemClassObject* created = nullptr;
  const HRESULT result = FromNumber<IWbemServices*>(services)->CreateInstanceEnum(
      name.get(), flags, nullptr, &created);
  if (SUCCEEDED(result)) *enumerator = ToNumber(created);
  return result;
}

HResult Win32Wmi::Next(WmiHandle enumerator, std::int32_t timeout_ms, WmiHandle* object,
                       std::uint32_t* returned) {
  IWbemClassObject* fetched = nullptr;
  ULONG count = 0;
  const HRESULT result =
      FromNumber<IEnumWbemClassObject*>(enumerator)->Next(timeout_ms, 1, &fetched, &count);
  *object = count == 1 ? ToNumber(fetched) : kNullWmiHandle;
  *returned = count;
  return result;
}

HResult Win32Wmi::Get(WmiHandle object, std::string_view property, WmiValue* value) {
  *value = {};
  VARIANT variant;
  variant.vt = VT_EMPTY;
  const HRESULT result = FromNumber<IWbemClassObject*>(object)->Get(Wide(property).c_str(), 0,
                                                                    &variant, nullptr, nullptr);
  if (FAILED(result)) return result;
  *value = Convert(variant);
  if (Calls().variant_clear != nullptr) Calls().variant_clear(&variant);
  return result;
}

std::uint32_t Win32Wmi::Release(WmiHandle handle) {
  if (handle == kNullWmiHandle) return 0;
  return FromNumber<IUnknown*>(handle)->Release();
}

}  // namespace tunora::win32
