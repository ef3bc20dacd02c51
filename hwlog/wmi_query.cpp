#include "hwlog/wmi_query.h"

#include <cstdio>

#include "resources/dialogs.h"
#include "resources/strings.h"

namespace tunora {
namespace {

// The three flags by name (0x31), not amended qualifiers.
constexpr std::int32_t kEnumFlags =
    kWbemFlagForwardOnly | kWbemFlagReturnImmediately | kWbemFlagShallow;
constexpr std::size_t kNameField = 20;

// clang-format off
// Coded numbers: entry n of this list is value text 10 + n.
constexpr std::string_view kValueTexts[] = {
    "K", "M", "G", "MHz", "Volts", "Bits", "Bytes", "ON", "OFF", "TRUE", "FALSE", "Other",
    "Unknown", "Daughter Board", "ZIF Sockect (Socket 7)", "PiggyBack / Replacement", "None",
    "LIF Socket", "Slot 1", "Slot 2", "370 Socket", "Slot A", "Slot M", "Other", "x86", "MIPS",
    "Alpha", "PowerPC", "Other", "Unknown", "Other", "Unkown", "8086", "80286", "80386", "80486",
    "8087", "80287", "80387", "80487", "Pentium Family", "Pentium Pro", "Pentium II",
    "Pentium MMX", "Celeron", "Pentium II Xeon", "Pentium III", "M1 Family", "M2 Family",
    "K5 Family", "K6 Family", "K6-2", "K6-III", "Athlon", "Power PC Family", "Power PC 601",
    "Power PC 603", "Power PC 603+", "Power PC 604", "Alpha Family", "MIPS Family",
    "SPARC Family", "68040", "68xxx Family", "68000", "68010", "68020", "68030", "Hobbit Family",
    "Weitek", "PA-RISC Family", "V30 Family", "Pentium III Xeon", "AS400 Family", "IBM390 Family",
    "i860", "i960", "SH-3", "SH-4", "ARM", "StrongARM", "6x86", "MediaGX", "MII", "WinChip",
    "CPU", "Enabled", "Disabled", "Other", "Unknown", "Central Processor", "Math Processor",
    "DSP Processor", "Video Processor", "Other", "Unknown", "Level", "Edge", "Other", "Unknown",
    "Lead Acid", "Nickel Cadmium", "Nickel Metal Hydride", "Lithium Ion", "Zinc Air",
    "Lithium Polymer", "Undefined", "Internal", "ISA", "EISA", "MicroChannel", "TurboChannel",
    "PCI Bus", "VME Bus", "NuBus", "PCMCIA Bus", "C Bus", "MPI Bus", "MPSA Bus",
    "Internal Processor", "Internal Power Bus", "PNP ISA Bus", "PNP Bus",
    "Maximum Interface Type", "Unknown", "Other", "Multiscan Color", "Multiscan Monochrome",
    "Fixed Frequency Color", "Fixed Frequency Monochrome", "Unknown", "No Root Directory",
    "Removeable Disk", "Local Disk", "Network Drive", "CD/DVD Drive", "Ram Disk"};
// clang-format on
constexpr int kFirstValueText = 10;
static_assert(std::size(kValueTexts) == 146 - kFirstValueText + 1);
constexpr int kArchitectureBase = 34;
constexpr int kChemistryBase = 107;

std::string Hex(HResult result) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(result));
  return text;
}

// The enumeration did not start: its table line, if any.
std::string_view StartFailureLine(HResult result) {
  switch (static_cast<std::uint32_t>(result)) {
    case 0x80041003u:
      return "Access Denied";
    case 0x80041001u:
      return "Unspecified Error";
    case 0x80041010u:
      return "Class does not exist";
    case 0x80041008u:
      return "Invalid Parameter";
    case 0x80041006u:
      return "Out of Memory";
    case 0x80041015u:
      return "Not Enough Memory";
    default:
      return {};
  }
}

// A failed fetch: its line before "Unspecified problem", if any.
std::string_view FetchFailureLine(HResult result) {
  switch (static_cast<std::uint32_t>(result)) {
    case 0x80041008u:
      return "Invalid Parameter";
    case 0x80041006u:
      return "Out of Memory";
    case 0x8004101Du:
      return "Deleted Object -- Enum validity Destroyed";
    case 0x80041015u:
      return "RPC Failure";
    default:
      return {};
  }
}

// The value as it is: a text, a number in decimal, "TRUE" or "FALSE", or
// nothing for a null (or a list, which no property of the log holds).
std::string ValueText(const WmiValue& value) {
  switch (value.type) {
    case WmiType::kText:
      return value.text;
    case WmiType::kInt32:
      return std::to_string(value.number);
    case WmiType::kBool:
      return value.boolean ? "TRUE" : "FALSE";
    default:
      return {};
  }
}

// What follows the name: a number decoded as its property asks, anything
// else as it is, so a null prints nothing whatever the property's kind.
std::string FormatValue(const WmiValue& value, const PropertySlot& slot) {
  if (slot.kind == PropertyKind::kNumber && value.type == WmiType::kInt32) {
    return " = " + DecodeNumber(value.number, slot.decoding);
  }
  return " = " + LogValue(ValueText(value));
}

PnpCollection::Table* CollectionTable(PnpCollection& collection, QueryMode mode, std::size_t slot) {
  switch (mode) {
    case QueryMode::kCollectAllocations:
      if (slot == 0) return &collection.antecedents;
      if (slot == 1) return &collection.dependents;
      break;
    case QueryMode::kCollectEntities:
      if (slot == 1) return &collection.descriptions;
      if (slot == 2) return &collection.manufacturers;
      if (slot == 3) return &collection.device_ids;
      break;
    case QueryMode::kPrint:
      break;
  }
  return nullptr;
}

void Show(Platform& platform, std::string_view text) {
  platform.ui.MessageBox(text, kProgramName, kMbOk);
}

class CloseOnly : public DialogHandler {
 public:
  void OnCommand(DialogWindow& window, int id, int notification) override {
    if (id == kIdcLogClose && notification == kBnClicked) window.EndDialog(id);
  }
};

}  // namespace

ClassQuery MakeQuery(std::string_view class_name, std::initializer_list<PropertySlot> slots,
                     QueryMode mode) {
  ClassQuery query;
  query.class_name = class_name;
  query.mode = mode;
  std::size_t i = 0;
  for (const PropertySlot& slot : slots) {
    if (i < kPropertySlots) query.slots[i++] = slot;
  }
  return query;
}

LogText& LogText::operator<<(std::string_view text) {
  for (const char c : text) {
    if (c == '\n') bytes_ += '\r';
    bytes_ += c;
  }
  return *this;
}

std::string DecodeNumber(std::int32_t value, NumberDecoding decoding) {
  const auto coded = [&](int base) {
    const long long entry = static_cast<long long>(base) + value;
    const long long index = entry - kFirstValueText;
    if (value < 0 || index >= static_cast<long long>(std::size(kValueTexts))) {
      return std::to_string(value);
    }
    return std::string(kValueTexts[index]);
  };
  switch (decoding) {
    case NumberDecoding::kMhz:
      return std::to_string(value) + " MHz";
    case NumberDecoding::kBits:
      return std::to_string(value) + " Bits";
    case NumberDecoding::kArchitecture:
      return coded(kArchitectureBase);
    case NumberDecoding::kChemistry:
      return coded(kChemistryBase);
    case NumberDecoding::kNone:
      break;
  }
  return std::to_string(value);
}

std::string LogValue(std::string_view text) {
  std::string line(text.substr(0, kLogValueLimit));
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  if (text.size() > kLogValueLimit) {
    line += " ... (" + std::to_string(text.size()) + " characters)";
  }
  return line;
}

void ShowLogDialog(Platform& platform, const DialogTemplate& dialog) {
  CloseOnly close;
  platform.ui.DialogBox(dialog, close);
}

bool OpenWmiConnection(Platform& platform, WmiConnection& connection, LogText& log) {
  Wmi& wmi = platform.wmi;
  if (Failed(wmi.Initialize())) {
    Show(platform, "Win OLE Initialize Failed!");
    return false;
  }
  const auto fail = [&](std::string_view message) {
    Show(platform, message);
    wmi.Uninitialize();
    return false;
  };
  const HResult security = wmi.InitializeSecurity(kRpcCAuthnLevelNone, kRpcCImpLevelImpersonate);
  if (security == kRpcETooLate) return fail("CoInitializeSecurity has already been called!");
  if (security == kRpcENoGoodSecurityPackages) {
    return fail("CoInitializeSecurity - could not register authentication services in the list");
  }

  WmiHandle locator = kNullWmiHandle;
  if (Failed(wmi.CreateLocator(&locator))) {
    log << "Failed to create IWbemLocator object\n\n"
        << "This error appears because WMI is most\n"
        << "likely not installed on this system!\n\n"
        << "Verify the ReadMe file, or verify the\n"
        << "help by click on the help button in this\n"
        << "utility. Then go to TunoraUtil and then\n"
        << "'Miscellaneous Tab' for more information.\n\n";
    return fail(
        "Failed to create IWbemLocator object\n\nVerify c:\\hardware.txt for more information");
  }
  if (connection.services != kNullWmiHandle) {
    wmi.Release(connection.services);
    connection.services = kNullWmiHandle;
  }
  if (Failed(wmi.ConnectServer(locator, kWmiNamespace, &connection.services))) {
    connection.services = kNullWmiHandle;
    wmi.Release(locator);
    log << "Bad namespace";
    return fail("Bad namespace");
  }
  wmi.SetProxyBlanket(connection.services, kRpcCAuthnWinNt, kRpcCAuthnLevelCall,
                      kRpcCImpLevelImpersonate);
  wmi.Release(locator);
  return true;
}

bool DumpClass(Platform& platform, const WmiConnection& connection, LogText& log,
               const ClassQuery& query, PnpCollection& collection) {
  Wmi& wmi = platform.wmi;
  WmiHandle enumerator = kNullWmiHandle;
  const HResult started =
      wmi.CreateInstanceEnum(connection.services, query.class_name, kEnumFlags, &enumerator);
  if (Failed(started)) {
    if (const std::string_view line = StartFailureLine(started); !line.empty()) log << line << '\n';
    log << "CreateInstanceEnum() failed: 0x" << Hex(started) << '\n';
    const std::string_view kind = started == kWbemENotFound ? "Not Found error" : "DCOM error";
    Show(platform, kind);
    log << kind;
    ShowLogDialog(platform, LogFailedDialog());
    return false;
  }

  const bool print = query.mode == QueryMode::kPrint;
  int fetches = 0;
  for (;;) {
    ++fetches;
    WmiHandle object = kNullWmiHandle;
    std::uint32_t returned = 0;
    const HResult fetched = wmi.Next(enumerator, kWmiFetchTimeoutMs, &object, &returned);
    if (fetched == kWbemSTimedOut) {
      log << "TimeOut occurred before obtaining all objects\n";
    } else if (Failed(fetched)) {
      if (const std::string_view line = FetchFailureLine(fetched); !line.empty()) {
        log << line << '\n';
      }
      log << "Unspecified problem\n";
      if (returned == 1) wmi.Release(object);
      break;
    }
    if (returned != 1) break;

    for (std::size_t slot = 0; slot < kPropertySlots; ++slot) {
      const PropertySlot& property = query.slots[slot];
      if (property.name.empty()) continue;
      WmiValue value;
      if (Failed(wmi.Get(object, property.name, &value))) {
        log << "Scan Error\n";
        wmi.Release(object);
        wmi.Release(enumerator);
        return false;
      }
      if (print) {
        std::string name(property.name);
        if (name.size() < kNameField) name.resize(kNameField, ' ');
        log << "  " << name << FormatValue(value, property) << '\n';
      } else if (PnpCollection::Table* table = CollectionTable(collection, query.mode, slot);
                 table != nullptr && fetches < static_cast<int>(kPnpEntries)) {
        (*table)[static_cast<std::size_t>(fetches)] = ValueText(value).substr(0, kPnpTextLimit);
      }
    }
    wmi.Release(object);
  }

  if (query.mode == QueryMode::kCollectAllocations) collection.allocation_count = fetches;
  if (query.mode == QueryMode::kCollectEntities) collection.entity_count = fetches;
  wmi.Release(enumerator);
  return true;
}

}  // namespace tunora
