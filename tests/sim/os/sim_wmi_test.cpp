// The simulated PC's management instrumentation before it has a
// repository: COM initialises, the locator is made, the namespace is not
// there, and the results are the ones Windows gives.
#include "sim/os/sim_wmi.h"

#include <gtest/gtest.h>

namespace tunora::sim {
namespace {

TEST(SimWmi, InitialisesButHasNoNamespace) {
  SimWmi wmi;
  EXPECT_EQ(wmi.Initialize(), kSOk);
  EXPECT_EQ(wmi.Initialize(), kSFalse);
  EXPECT_EQ(wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate), kSOk);
  EXPECT_EQ(wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate), kRpcETooLate);

  WmiHandle locator = kNullWmiHandle;
  ASSERT_EQ(wmi.CreateLocator(&locator), kSOk);
  EXPECT_NE(locator, kNullWmiHandle);
  WmiHandle services = 123;
  EXPECT_EQ(wmi.ConnectServer(locator, "\\\\.\\root\\cimv2", &services), kWbemEInvalidNamespace);
  EXPECT_TRUE(Failed(kWbemEInvalidNamespace));
  EXPECT_EQ(services, kNullWmiHandle);
  EXPECT_EQ(wmi.Release(locator), 0u);
  EXPECT_EQ(wmi.ConnectServer(locator, "\\\\.\\root\\cimv2", &services), kWbemEInvalidParameter);

  WmiHandle enumerator = 7;
  EXPECT_EQ(wmi.CreateInstanceEnum(
                services, "Win32_Processor",
                kWbemFlagForwardOnly | kWbemFlagReturnImmediately | kWbemFlagShallow, &enumerator),
            kWbemEInvalidParameter);
  EXPECT_EQ(enumerator, kNullWmiHandle);

  wmi.Uninitialize();
  wmi.Uninitialize();
  EXPECT_EQ(wmi.Initialize(), kSOk);
}

}  // namespace
}  // namespace tunora::sim
