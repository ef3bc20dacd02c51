// The simulated PC's management instrumentation over a repository: the
// calls the hardware log makes, with the results Windows gives, and each
// fault switch of a profile's "wmi" entry.
#include "sim/os/sim_wmi.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/machine/profile.h"

namespace tunora::sim {
namespace {

using nlohmann::json;

constexpr std::int32_t kLogFlags =
    kWbemFlagForwardOnly | kWbemFlagReturnImmediately | kWbemFlagShallow;

const json kClasses = {{"Win32_Thing",
                        {{{"Caption", "first"},
                          {"Count", 42},
                          {"Below", -7},
                          {"Unsigned", 4294967295u},
                          {"Flag", true},
                          {"Nothing", nullptr},
                          {"Kinds", {3, 4}}},
                         {{"Caption", "second"}}}},
                       {"Win32_Empty", json::array()}};

SimWmi Wmi(json faults = json::object(), std::string name_space = "\\\\.\\ROOT\\CIMV2") {
  json wmi = {{"classes", kClasses}, {"faults", faults}};
  if (!name_space.empty()) wmi["namespace"] = name_space;
  return SimWmi(WmiRepositoryFromJson(wmi));
}

// Connects as the log does; the services handle, or 0 and the failure.
std::pair<WmiHandle, HResult> Connect(SimWmi& wmi, const char* name_space = "\\\\.\\root\\cimv2") {
  EXPECT_EQ(wmi.Initialize(), kSOk);
  WmiHandle locator = kNullWmiHandle, services = kNullWmiHandle;
  HResult result = wmi.CreateLocator(&locator);
  if (Failed(result)) return {kNullWmiHandle, result};
  result = wmi.ConnectServer(locator, name_space, &services);
  wmi.Release(locator);
  if (!Failed(result)) {
    EXPECT_EQ(wmi.SetProxyBlanket(services, 10, 3, 3), kSOk);
  }
  return {services, result};
}

TEST(SimWmi, EnumeratesInOrderReadsEachKindAndReleasesEveryHandle) {
  SimWmi wmi = Wmi();
  const auto [services, connected] = Connect(wmi);
  ASSERT_EQ(connected, kSOk);

  WmiHandle enumerator = kNullWmiHandle, object = kNullWmiHandle;
  std::uint32_t returned = 0;
  ASSERT_EQ(wmi.CreateInstanceEnum(services, "WIN32_thing", kLogFlags, &enumerator), kSOk);
  ASSERT_EQ(wmi.Next(enumerator, 6000, &object, &returned), kSOk);
  ASSERT_EQ(returned, 1u);
  struct Read {
    const char* property;
    HResult result;
    WmiType type;
    const char* text;
    std::int32_t number;
    bool boolean;
  } reads[] = {
      {"caption", kSOk, WmiType::kText, "first", 0, false},
      {"Count", kSOk, WmiType::kInt32, "", 42, false},
      {"Below", kSOk, WmiType::kInt32, "", -7, false},
      {"Unsigned", kSOk, WmiType::kInt32, "", -1, false},  // a VT_UI4 read as V_I4
      {"Flag", kSOk, WmiType::kBool, "", 0, true},
      {"Nothing", kSOk, WmiType::kNull, "", 0, false},
      {"Kinds", kSOk, WmiType::kOther, "", 0, false},
      {"Missing", kWbemENotFound, WmiType::kNull, "", 0, false},
  };
  for (const Read& r : reads) {
    SCOPED_TRACE(r.property);
    WmiValue value{WmiType::kText, "stale", 9, true};
    EXPECT_EQ(wmi.Get(object, r.property, &value), r.result);
    EXPECT_EQ(value.type, r.type);
    EXPECT_EQ(value.text, r.text);
    EXPECT_EQ(value.number, r.number);
    EXPECT_EQ(value.boolean, r.boolean);
  }
  EXPECT_EQ(wmi.Release(object), 0u);
  ASSERT_EQ(wmi.Next(enumerator, 6000, &object, &returned), kSOk);
  WmiValue value;
  EXPECT_EQ(wmi.Get(object, "Caption", &value), kSOk);
  EXPECT_EQ(value.text, "second");
  EXPECT_EQ(wmi.Get(object, "Count", &value), kWbemENotFound);
  wmi.Release(object);
  EXPECT_EQ(wmi.Next(enumerator, 6000, &object, &returned), kSFalse);
  EXPECT_EQ(returned, 0u);
  EXPECT_EQ(object, kNullWmiHandle);
  wmi.Release(enumerator);

  ASSERT_EQ(wmi.CreateInstanceEnum(services, "Win32_Empty", kLogFlags, &enumerator), kSOk);
  EXPECT_EQ(wmi.Next(enumerator, 6000, &object, &returned), kSFalse);
  wmi.Release(enumerator);
  EXPECT_EQ(wmi.Get(enumerator, "Caption", &value), kWbemEInvalidParameter);
  wmi.Release(services);
  EXPECT_EQ(wmi.OpenHandles(), 0u);
  EXPECT_EQ(wmi.Release(services), 0u);  // released twice: harmless
  EXPECT_EQ(wmi.Release(12345), 0u);
}

TEST(SimWmi, ComOrderAndHandlesOfTheWrongKind) {
  SimWmi wmi = Wmi();
  WmiHandle locator = kNullWmiHandle, services = kNullWmiHandle;
  EXPECT_EQ(wmi.CreateLocator(&locator), kCoENotInitialized);
  EXPECT_EQ(wmi.Initialize(), kSOk);
  EXPECT_EQ(wmi.Initialize(), kSFalse);
  EXPECT_EQ(wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate), kSOk);
  EXPECT_EQ(wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate), kRpcETooLate);
  ASSERT_EQ(wmi.CreateLocator(&locator), kSOk);
  WmiHandle enumerator = 7;
  EXPECT_EQ(wmi.CreateInstanceEnum(locator, "Win32_Thing", kLogFlags, &enumerator),
            kWbemEInvalidParameter);
  EXPECT_EQ(enumerator, kNullWmiHandle);
  wmi.Release(locator);
  EXPECT_EQ(wmi.ConnectServer(locator, "root\\cimv2", &services), kWbemEInvalidParameter);
  EXPECT_EQ(wmi.SetProxyBlanket(services, 10, 3, 3), kWbemEInvalidParameter);
}

// Each switch as the log meets it: the step that fails and with what, or
// the fetches of Win32_Thing (result and objects delivered) until one
// delivers nothing.
TEST(SimWmi, FaultSwitches) {
  struct Fetch {
    HResult result;
    std::uint32_t returned;
  };
  struct Case {
    const char* what;
    json faults = json::object();
    std::string repository_namespace = "\\\\.\\ROOT\\CIMV2";
    const char* asked_namespace = "//./root/cimv2";
    const char* class_name = "Win32_Thing";
    HResult connect = kSOk;  // the locator's or the connection's failure
    HResult enumerate = kSOk;
    std::vector<Fetch> fetches = {{kSOk, 1}, {kSOk, 1}, {kSFalse, 0}};
  };
  const auto bits = [](HResult result) { return static_cast<std::uint32_t>(result); };
  const auto fetch_fault = [&](std::uint32_t at, HResult result, bool object = false) {
    return json{{"fetch", json::array({json{{"class", "win32_thing"},
                                            {"at", at},
                                            {"result", bits(result)},
                                            {"object", object}}})}};
  };
  std::vector<Case> cases = {
      {.what = "not installed",
       .faults = {{"locator", "0x80040154"}},
       .connect = kRegDbEClassNotReg},
      {.what = "connection refused",
       .faults = {{"connect", "0x80041003"}},
       .connect = kWbemEAccessDenied},
      {.what = "no namespace", .repository_namespace = "", .connect = kWbemEInvalidNamespace},
      {.what = "another namespace",
       .asked_namespace = "\\\\.\\root\\default",
       .connect = kWbemEInvalidNamespace},
      {.what = "class missing", .class_name = "Win32_Battery", .enumerate = kWbemEInvalidClass},
      {.what = "time-out without an object",
       .faults = fetch_fault(2, kWbemSTimedOut),
       .fetches = {{kSOk, 1}, {kWbemSTimedOut, 0}}},
      {.what = "time-out with an object",
       .faults = fetch_fault(1, kWbemSTimedOut, true),
       .fetches = {{kWbemSTimedOut, 1}, {kSOk, 1}, {kSFalse, 0}}},
  };
  for (HResult code : {kWbemEAccessDenied, kWbemEFailed, kWbemEInvalidParameter, kWbemEOutOfMemory,
                       kWbemETransportFailure, kWbemENotFound}) {
    cases.push_back({.what = "enumeration refused",
                     .faults = {{"enumerate", {{"WIN32_THING", bits(code)}}}},
                     .enumerate = code});
  }
  for (HResult code : {kWbemEInvalidParameter, kWbemEOutOfMemory, kWbemEUnexpected,
                       kWbemETransportFailure, MakeHResult(0x80070005u)}) {
    cases.push_back(
        {.what = "fetch error", .faults = fetch_fault(2, code), .fetches = {{kSOk, 1}, {code, 0}}});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + " " + c.faults.dump());
    SimWmi wmi = Wmi(c.faults, c.repository_namespace);
    const auto [services, connected] = Connect(wmi, c.asked_namespace);
    EXPECT_EQ(connected, c.connect);
    if (Failed(connected)) {
      EXPECT_EQ(services, kNullWmiHandle);
      EXPECT_EQ(wmi.OpenHandles(), 0u);
      continue;
    }
    WmiHandle enumerator = kNullWmiHandle;
    EXPECT_EQ(wmi.CreateInstanceEnum(services, c.class_name, kLogFlags, &enumerator), c.enumerate);
    if (!Failed(c.enumerate)) {
      std::vector<Fetch> seen;
      for (std::uint32_t returned = 1; returned == 1 && seen.size() < 10;) {
        WmiHandle object = kNullWmiHandle;
        const HResult result = wmi.Next(enumerator, 6000, &object, &returned);
        EXPECT_EQ(object != kNullWmiHandle, returned == 1);
        seen.push_back({result, returned});
        wmi.Release(object);
      }
      ASSERT_EQ(seen.size(), c.fetches.size());
      for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].result, c.fetches[i].result) << "fetch " << i + 1;
        EXPECT_EQ(seen[i].returned, c.fetches[i].returned) << "fetch " << i + 1;
      }
    }
    wmi.Release(enumerator);
    wmi.Release(services);
    EXPECT_EQ(wmi.OpenHandles(), 0u);
  }
}

}  // namespace
}  // namespace tunora::sim
