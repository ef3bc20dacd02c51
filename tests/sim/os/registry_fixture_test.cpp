#include "tests/support/registry_fixture.h"

#include <gtest/gtest.h>

#include "sim/os/regedit4.h"

namespace tunora {
namespace {

constexpr std::string_view kFixture =
    "REGEDIT4\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Example]\n"
    "\"Mode\"=dword:00000001\n"
    "\n";

TEST(RegistryFixture, WriterChangesShowInTheExportedSubtree) {
  auto registry = MakeRegistry(kFixture);
  RegKey key = 0;
  ASSERT_EQ(registry->OpenKey(kHkeyLocalMachine, "software\\example", kKeyAllAccess, &key),
            kErrorSuccess);
  const std::uint8_t two[4] = {2, 0, 0, 0};
  ASSERT_EQ(registry->SetValue(key, "MODE", kRegDword, two, 4), kErrorSuccess);
  ASSERT_EQ(registry->CloseKey(key), kErrorSuccess);

  EXPECT_EQ(ExportKey(*registry, "Software\\Example"),
            "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Example]\n\"Mode\"=dword:00000002\n\n");
  EXPECT_EQ(ExportKey(*registry, "Software\\Other"), "REGEDIT4\n\n");
}

TEST(RegistryFixture, NonAdministratorRegistryOnlyReads) {
  auto registry = MakeRegistry(kFixture, /*administrator=*/false);
  RegKey key = 0;
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, "Software\\Example", kKeyWrite, &key),
            kErrorAccessDenied);
  EXPECT_EQ(registry->OpenKey(kHkeyLocalMachine, "Software\\Example", kKeyRead, &key),
            kErrorSuccess);
  EXPECT_EQ(registry->CloseKey(key), kErrorSuccess);
}

TEST(RegistryFixture, BadFixtureTextNamesTheFixtureAndLine) {
  try {
    MakeRegistry("REGEDIT4\n\n\"Orphan\"=dword:00000001\n");
    FAIL() << "a value outside of a key was accepted";
  } catch (const sim::RegistryFileError& error) {
    EXPECT_STREQ(error.what(), "fixture:3: value line outside of a key");
  }
}

}  // namespace
}  // namespace tunora
