// What the ports promise, checked against any adapter: the simulated PC's
// (natively, in tests/sim/os/) and the Windows adapters (under Wine, by
// tests/wine/adapter_contract.cpp). Each check returns the broken promises
// as lines; none means the adapter keeps them all. Header-only, so both
// builds compile it without a test library.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace tunora::contract {

class Failures {
 public:
  void Check(bool ok, const std::string& what) {
    if (!ok) lines.push_back(what);
  }
  template <typename A, typename B>
  void Equal(const A& actual, const B& expected, const std::string& what) {
    if (!(actual == expected)) {
      lines.push_back(what + ": got " + Show(actual) + ", expected " + Show(expected));
    }
  }
  std::vector<std::string> lines;

 private:
  static std::string Show(std::int32_t v) { return std::to_string(v); }
  static std::string Show(std::uint32_t v) { return std::to_string(v); }
  static std::string Show(bool v) { return v ? "true" : "false"; }
  static std::string Show(const std::string& v) { return "\"" + v + "\""; }
  static std::string Show(const std::optional<std::string>& v) {
    return v ? Show(*v) : std::string("nothing");
  }
  template <typename T>
  static std::string Show(const T&) {
    return "(value)";
  }
};

inline constexpr const char* kContractRoot = "Software\\TunoraContract";

// HKEY_LOCAL_MACHINE\Software\TunoraContract is created and removed again.
inline std::vector<std::string> CheckRegistry(Registry& registry) {
  Failures f;
  const std::string root = kContractRoot;
  RegKey key = 0;
  f.Equal(registry.OpenKey(kHkeyLocalMachine, root + "\\Missing", kKeyRead, &key),
          kErrorFileNotFound, "opening a missing key");

  RegKey leaf = 0;
  f.Equal(registry.CreateKey(kHkeyLocalMachine, root + "\\Alpha\\Beta", kKeyAllAccess, &leaf),
          kErrorSuccess, "creating a key and its missing parents");
  registry.CloseKey(leaf);
  f.Equal(registry.OpenKey(kHkeyLocalMachine, root + "\\alpha\\BETA\\", kKeyRead, &leaf),
          kErrorSuccess, "opening with other case and a trailing backslash");
  registry.CloseKey(leaf);

  RegKey base = 0;
  f.Equal(registry.OpenKey(kHkeyLocalMachine, root, kKeyAllAccess, &base), kErrorSuccess,
          "opening the contract key");
  const std::uint8_t dword[4] = {0x78, 0x56, 0x34, 0x12};
  const std::uint8_t text[4] = {'a', 'b', 'c', 0};
  f.Equal(registry.SetValue(base, "Number", kRegDword, dword, 4), kErrorSuccess, "a DWORD");
  f.Equal(registry.SetValue(base, "Text", kRegSz, text, 4), kErrorSuccess, "a string");
  f.Equal(registry.SetValue(base, "Empty", kRegBinary, nullptr, 0), kErrorSuccess,
          "an empty binary");

  std::uint32_t type = 0, size = 4;
  std::uint8_t buffer[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  f.Equal(registry.QueryValue(base, "number", &type, buffer, &size), kErrorSuccess,
          "reading a DWORD by another case");
  f.Equal(type, kRegDword, "its type");
  f.Equal(size, 4u, "its size");
  f.Check(buffer[0] == 0x78 && buffer[3] == 0x12 && buffer[4] == 0xEE, "its bytes, and no more");
  std::uint8_t small[2] = {0xEE, 0xEE};
  size = 2;
  f.Equal(registry.QueryValue(base, "Number", &type, small, &size), kErrorMoreData,
          "a value longer than the buffer");
  f.Equal(size, 4u, "the size it needs");
  f.Check(small[0] == 0xEE && small[1] == 0xEE, "a too-small buffer stays untouched");
  size = 0;
  f.Equal(registry.QueryValue(base, "Text", &type, nullptr, &size), kErrorSuccess,
          "asking for the size only");
  f.Equal(size, 4u, "a string's size counts its terminating zero");
  size = 8;
  f.Equal(registry.QueryValue(base, "Empty", &type, buffer, &size), kErrorSuccess,
          "an empty value");
  f.Equal(size, 0u, "an empty value's size");
  size = 8;
  f.Equal(registry.QueryValue(base, "Absent", &type, buffer, &size), kErrorFileNotFound,
          "a missing value");

  std::set<std::string> names;
  std::string name, data;
  std::uint32_t index = 0;
  while (registry.EnumValue(base, index, &name, &type, &data) == kErrorSuccess && index < 10) {
    names.insert(name);
    ++index;
  }
  f.Check(names == std::set<std::string>{"Number", "Text", "Empty"}, "the three values enumerate");
  f.Equal(registry.EnumKey(base, 0, &name), kErrorSuccess, "the sub-key enumerates");
  f.Equal(name, std::string("Alpha"), "with its name's case");
  f.Equal(registry.EnumKey(base, 1, &name), kErrorNoMoreItems, "and no other");
  f.Equal(registry.EnumKey(base, 0, &name, 5), kErrorMoreData,
          "a name as long as the buffer (which counts the zero)");

  f.Equal(registry.DeleteValue(base, "Absent"), kErrorFileNotFound, "deleting a missing value");
  f.Equal(registry.DeleteValue(base, "Text"), kErrorSuccess, "deleting a value");
  f.Equal(registry.DeleteKey(base, "Alpha"), kErrorAccessDenied,
          "deleting a key that has sub-keys");
  f.Equal(registry.DeleteKey(base, "Alpha\\Beta"), kErrorSuccess, "deleting a leaf");
  f.Equal(registry.DeleteKey(base, "Alpha"), kErrorSuccess, "then its parent");
  f.Equal(registry.OpenKey(kHkeyLocalMachine, root + "\\Alpha", kKeyRead, &key), kErrorFileNotFound,
          "the deleted key is gone");
  registry.CloseKey(base);
  registry.DeleteKey(kHkeyLocalMachine, root);
  return f.lines;
}

// Writes, appends, reads and deletes c:\tunora-contract.bin.
inline std::vector<std::string> CheckFiles(Files& files) {
  Failures f;
  const std::string windows = files.WindowsDirectory();
  f.Check(
      windows.size() > 3 && (windows[0] == 'C' || windows[0] == 'c') &&
          windows.substr(1, 2) == ":\\" && windows.back() != '\\',
      "the Windows directory is a path on C: without a trailing backslash: \"" + windows + "\"");
  const std::string path = "c:\\tunora-contract.bin";
  const std::string bytes("line\r\n\0binary\xff", 14);
  files.DeleteFile(path);
  f.Equal(files.ReadFile(path), std::optional<std::string>(), "reading a missing file");
  f.Check(files.WriteFile(path, bytes), "writing a file");
  f.Check(files.FileExists(path), "it exists");
  f.Equal(files.ReadFile(path), std::optional<std::string>(bytes), "it reads back byte for byte");
  f.Check(files.AppendFile(path, "xy"), "appending");
  f.Equal(files.ReadFile(path), std::optional<std::string>(bytes + "xy"), "appended");
  f.Check(files.WriteFile(path, "new"), "writing over it");
  f.Equal(files.ReadFile(path), std::optional<std::string>("new"), "writing truncates");
  f.Check(files.DeleteFile(path), "deleting it");
  f.Check(!files.FileExists(path), "it is gone");
  f.Check(!files.DeleteFile(path), "deleting a missing file fails");
  // Longer than the 128 characters some file calls take.
  const std::string long_path = "c:\\tunora-contract-" + std::string(120, 'x') + ".bin";
  f.Check(files.WriteFile(long_path, bytes), "writing a file of a path over 128 characters");
  f.Check(files.DeleteFile(long_path), "deleting it");
  f.Check(!files.FileExists(long_path), "it is gone too");
  return f.lines;
}

// Version and time as the programs use them.
inline std::vector<std::string> CheckSystem(System& system, std::uint32_t platform_id,
                                            std::uint32_t major) {
  Failures f;
  const OsVersion version = system.GetVersion();
  f.Equal(version.platform_id, platform_id, "the platform id");
  f.Equal(version.major, major, "the major version");
  f.Equal(system.GetSystemMetrics(kSmCleanBoot), 0, "a normal boot");
  const std::uint32_t before = system.GetTickCount();
  // Wine's tick count is refreshed in steps that lag on a loaded machine:
  // a long sleep with a wide margin still tells a real wait from none.
  system.Sleep(120);
  const std::uint32_t passed = system.GetTickCount() - before;
  f.Check(passed >= 60, "Sleep(120) lets at least 60 ms pass (" + std::to_string(passed) + " ms)");
  return f.lines;
}

}  // namespace tunora::contract
