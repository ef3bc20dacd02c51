// Where the display driver keeps its settings: the NT service and device
// keys, the per-board records inside a device key, the Windows 98/ME
// display-class instances and the companion application's profile keys.
// No state: every search runs afresh each time a setting is read or written.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "hwaccess/card.h"
#include "hwaccess/platform_kind.h"
#include "platform/registry.h"

namespace tunora {

enum class DriverKeyKind {
  kNtService,
  kNtDevice,
  k9xInstance,
  kProfile,
};

// A registry place relative to HKEY_LOCAL_MACHINE.
struct DriverKey {
  std::string path;
  DriverKeyKind kind = DriverKeyKind::kNtDevice;
};

inline constexpr std::string_view kServiceQx1 = "QX1";
inline constexpr std::string_view kServiceQx2 = "QX2";
inline constexpr std::string_view kServiceQx2Duo = "QX2DUO";
inline constexpr std::string_view kServiceQx3Duo = "QX3DUO";
inline constexpr std::string_view kServiceQxg64 = "qxg64";

// "System\CurrentControlSet\Services" plus a backslash and the service name.
std::string ServiceKeyPath(std::string_view service);

// The NT enumeration looks at no more than this many device sub-keys.
inline constexpr std::uint32_t kMaxDeviceSubKeys = 16;
// Sub-key names are read into a buffer of this many characters.
inline constexpr std::uint32_t kKeyNameBufferChars = 260;

enum class DeviceKeyMode {
  kRead,   // only sub-keys that carry the prefix
  kWrite,  // every sub-key; foreign ones fall back to "Device0"
};

using DeviceKeyVisitor = std::function<void(RegKey device_key, const DriverKey& where)>;

// Visits the device keys of one NT service key. Returns whether the service
// key opened.
bool ForEachDeviceKey(Registry& registry, std::string_view service_key_path,
                      std::string_view prefix, DeviceKeyMode mode, const DeviceKeyVisitor& visit);

// The rules that pick service keys from the chip family for one setting.
// The first four give a QX1 board its driver and a QX3 board the dual
// QX3 driver, and differ in the QX2 family's two drivers: both (dual
// first), or the first of them that is installed; the two NoDuoPci ones
// skip the dual-display PCI board (451).
enum class ServiceSearch {
  kDualThenSingle,          // QX2: the dual driver, then the single one too
  kSingleElseDual,          // QX2: the single driver, else the dual one
  kDualElseSingleNoDuoPci,  // QX2: the dual driver, else the single one; not 451
  kSingleElseDualNoDuoPci,  // QX2: the single driver, else the dual one; not 451
  kFamilyAndQxg64,          // the family's drivers (QX2: single and dual), then qxg64
  kEveryService,            // every driver the maker ships
  kQxg64Only,               // qxg64 alone
};

struct SearchOutcome {
  bool any_service_opened = false;
  int device_keys_visited = 0;
};

// Runs ForEachDeviceKey over the services `search` selects for `family`.
SearchOutcome RunServiceSearch(Registry& registry, ServiceSearch search, ChipFamily family,
                               std::string_view prefix, DeviceKeyMode mode,
                               const DeviceKeyVisitor& visit);

// Board records "D00" to "D99" in a device key (8 bytes: device id at
// offset 0, subsystem id at offset 6, both 16-bit little-endian).
inline constexpr int kMaxBoardRecords = 100;

struct BoardIds {
  std::uint32_t device_id = 0;
  std::uint32_t subsystem_id = 0;
};

// "D00" .. "D99".
std::string BoardRecordName(int index);
// A per-board value name: the template's two digits after the "D"
// ("D00.Qxg.AGPFlags") replaced by those of `index`.
std::string BoardValueName(std::string_view name_template, int index);
// Whether record `index` exists as exactly 8 bytes and names the board.
bool BoardRecordMatches(Registry& registry, RegKey device_key, int index, const BoardIds& board);
// Index of the first record that names the board, or nothing.
std::optional<int> FindBoardEntry(Registry& registry, RegKey device_key, const BoardIds& board);

// Windows 98/ME: visits each display-class instance whose "DriverDesc"
// begins with the maker's name. Returns whether any instance was visited.
inline constexpr std::string_view kDisplayClassPath =
    "System\\CurrentControlSet\\Services\\Class\\Display";
bool ForEachDisplayInstance(Registry& registry,
                            const std::function<void(const DriverKey& instance)>& visit);

// The companion application's profile keys and their parents, in order.
inline constexpr std::array<std::string_view, 3> kPanelixProfileKeys = {
    "Software\\Quillex\\Panelix\\Current Settings",
    "Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
    "Software\\Quillex\\Panelix\\Version6\\CurrentSettings",
};
inline constexpr std::array<std::string_view, 3> kPanelixProfileParents = {
    "Software\\Quillex\\Panelix\\",
    "Software\\Quillex\\Panelix\\Version5\\",
    "Software\\Quillex\\Panelix\\Version6\\",
};

// Keys some OpenGL operations walk on every platform; missing ones are skipped.
inline constexpr std::array<std::string_view, 9> kFixedDeviceKeyList = {
    "System\\CurrentControlSet\\Services\\qxg64\\Device0",
    "System\\CurrentControlSet\\Services\\QX1\\Device0",
    "System\\CurrentControlSet\\Services\\QX2\\Device0",
    "Software\\Quillex\\Panelix\\Current Settings",
    "Software\\Quillex\\Panelix\\Version5\\CurrentSettings",
    "Software\\Quillex\\Panelix\\Version6\\CurrentSettings",
    "System\\CurrentControlSet\\Services\\QX2\\DUODevice0",
    "System\\CurrentControlSet\\Services\\QX2E\\Device0",
    "System\\CurrentControlSet\\Services\\QX3\\Device0",
};

// The OpenGL preset writer's keys (search S8 on the NT road, the three
// profile keys on 98/ME): each parent is reached first, then its target is
// created and handed to `visit`. Profile parents are created when missing;
// a driver's service key is only opened, never created, and the dual QX2
// driver's key is used only when the single driver's service does not
// open. Returns how many targets were visited.
int ForEachOpenGlWriteKey(Registry& registry, PlatformKind platform, const DeviceKeyVisitor& visit);

// The OpenGL preset reader's device key on the NT road (search S9), or
// nothing for families it does not cover.
std::optional<std::string> OpenGlReadKeyPath(Registry& registry, PlatformKind platform,
                                             ChipFamily family);

}  // namespace tunora
