// The hardware log's source: one management-instrumentation connection to
// "\\.\root\cimv2" and a generic dump of a class's instances, either as
// property lines of the log or into the tables the hardware enumeration
// reads. Every failure becomes fixed lines of the log (and, for the severe
// ones, a message box and the explanation dialog).
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tunora {

// The log as it is written: text mode, so each "\n" becomes CR LF.
class LogText {
 public:
  LogText& operator<<(std::string_view text);
  LogText& operator<<(char c) { return *this << std::string_view(&c, 1); }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

enum class PropertyKind : std::uint8_t { kText = 1, kNumber = 2, kBoolean = 3 };

// How a number is shown: as it is, with a unit, or through a code list.
enum class NumberDecoding : std::uint8_t { kNone, kMhz, kBits, kArchitecture, kChemistry };

struct PropertySlot {
  std::string_view name;  // empty: skipped
  PropertyKind kind = PropertyKind::kText;
  NumberDecoding decoding = NumberDecoding::kNone;
};

// What a dump does with the values it reads: print them as property
// lines, or keep them for the hardware enumeration without printing.
enum class QueryMode : std::uint8_t { kPrint, kCollectAllocations, kCollectEntities };

inline constexpr std::size_t kPropertySlots = 10;

struct ClassQuery {
  std::string_view class_name;
  std::array<PropertySlot, kPropertySlots> slots{};
  QueryMode mode = QueryMode::kPrint;
};

// What the collecting dumps leave for the hardware enumeration. Entry 0 is
// never used: instance k is entry k. A count is the instances plus one.
inline constexpr std::size_t kPnpEntries = 300;
inline constexpr std::size_t kPnpTextLimit = 254;
struct PnpCollection {
  using Table = std::array<std::string, kPnpEntries>;
  Table antecedents, dependents;                  // allocated resources
  Table descriptions, manufacturers, device_ids;  // PnP entities
  int allocation_count = 0;
  int entity_count = 0;
};

// A query of these slots in order (at most kPropertySlots).
ClassQuery MakeQuery(std::string_view class_name, std::initializer_list<PropertySlot> slots,
                     QueryMode mode = QueryMode::kPrint);

// The connection kept for the rest of the run once made.
struct WmiConnection {
  WmiHandle services = kNullWmiHandle;
};

inline constexpr std::string_view kWmiNamespace = "\\\\.\\root\\cimv2";
inline constexpr std::int32_t kWmiFetchTimeoutMs = 6000;

// True when connected; false after the failure was written to the log and
// shown, and the log must end.
[[nodiscard]] bool OpenWmiConnection(Platform& platform, WmiConnection& connection, LogText& log);

// True when the enumeration ran (also when a fetch error ended it); false
// when it did not start or a property could not be read, and the log must
// end there.
[[nodiscard]] bool DumpClass(Platform& platform, const WmiConnection& connection, LogText& log,
                             const ClassQuery& query, PnpCollection& collection);

// Dialog 159 or 160, until the user presses "Close".
void ShowLogDialog(Platform& platform, const DialogTemplate& dialog);

// A coded value's text; out of the table the number itself.
std::string DecodeNumber(std::int32_t value, NumberDecoding decoding);

// A value as one line of the log holds it: each control character (NUL,
// CR and LF included) as "?", and at most kLogValueLimit characters of it,
// the rest replaced by a note of the whole length.
inline constexpr std::size_t kLogValueLimit = 1024;
std::string LogValue(std::string_view text);

}  // namespace tunora
