#include "sim/machine/profile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "sim/hardware/physical_memory.h"
#include "sim/os/hive.h"

namespace tunora::sim {
namespace {

using nlohmann::json;

std::string Hex(std::uint32_t value, int digits) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
  return buffer;
}

// Numbers may be written as JSON numbers or as "0x..." / decimal strings.
std::uint64_t Number(const json& value, const std::string& where, std::uint64_t max) {
  std::uint64_t result = 0;
  if (value.is_number_unsigned() || value.is_number_integer()) {
    if (value.is_number_integer() && value.get<std::int64_t>() < 0) {
      throw ProfileError(where + ": negative number");
    }
    result = value.get<std::uint64_t>();
  } else if (value.is_string()) {
    const std::string text = value.get<std::string>();
    std::size_t used = 0;
    try {
      result = std::stoull(text, &used, 0);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used == 0 || used != text.size()) throw ProfileError(where + ": not a number: " + text);
  } else {
    throw ProfileError(where + ": expected a number");
  }
  if (result > max) throw ProfileError(where + ": " + std::to_string(result) + " is too large");
  return result;
}

template <typename T>
T Field(const json& object, const char* key, const std::string& where, T fallback) {
  if (!object.contains(key)) return fallback;
  return static_cast<T>(Number(object.at(key), where + "." + key,
                               static_cast<std::uint64_t>(std::numeric_limits<T>::max())));
}

std::string Text(const json& object, const char* key, const std::string& where,
                 const std::string& fallback = "") {
  if (!object.contains(key)) return fallback;
  if (!object.at(key).is_string()) throw ProfileError(where + "." + key + ": expected a string");
  return object.at(key).get<std::string>();
}

bool Flag(const json& object, const char* key, const std::string& where, bool fallback) {
  if (!object.contains(key)) return fallback;
  if (!object.at(key).is_boolean()) throw ProfileError(where + "." + key + ": expected true/false");
  return object.at(key).get<bool>();
}

std::set<std::string> Names(const json& object, const char* key, const std::string& where) {
  std::set<std::string> names;
  if (!object.contains(key)) return names;
  if (!object.at(key).is_array()) throw ProfileError(where + "." + key + ": expected a list");
  for (const json& item : object.at(key)) {
    if (!item.is_string()) throw ProfileError(where + "." + key + ": expected names");
    names.insert(item.get<std::string>());
  }
  return names;
}

CardSpec CardFromJson(const json& j, const std::string& where) {
  CardSpec card;
  card.pll_m = Field<std::uint8_t>(j, "pll_m", where, 0);
  card.pll_n = Field<std::uint8_t>(j, "pll_n", where, 0);
  card.pll_p = Field<std::uint8_t>(j, "pll_p", where, 0);
  if (card.pll_m > 31 || card.pll_n > 127 || card.pll_p > 7) {
    throw ProfileError(where + ": PLL dividers out of range (m 0..31, n 0..127, p 0..7)");
  }
  if (j.contains("dac")) {
    for (const auto& [reg, value] : j.at("dac").items()) {
      const auto index = static_cast<std::uint8_t>(Number(reg, where + ".dac", 0xFF));
      card.dac[index] = static_cast<std::uint8_t>(Number(value, where + ".dac." + reg, 0xFF));
    }
  }
  card.pll_never_locks = Flag(j, "pll_never_locks", where, false);
  card.pll_lock_reads = Field<std::uint32_t>(j, "pll_lock_reads", where, 0);
  return card;
}

PciDeviceSpec DeviceFromJson(const json& j, const std::string& where) {
  if (!j.is_object()) throw ProfileError(where + ": expected an object");
  PciDeviceSpec device;
  device.name = Text(j, "name", where);
  device.bus = Field<std::uint8_t>(j, "bus", where, 0);
  device.device = Field<std::uint8_t>(j, "device", where, 0);
  if (device.device > 31) throw ProfileError(where + ".device: must be 0..31");
  if (!j.contains("vendor_id") || !j.contains("device_id")) {
    throw ProfileError(where + ": vendor_id and device_id are required");
  }
  device.vendor_id = Field<std::uint16_t>(j, "vendor_id", where, 0);
  device.device_id = Field<std::uint16_t>(j, "device_id", where, 0);
  device.subsystem_vendor = Field<std::uint16_t>(j, "subsystem_vendor", where, 0);
  device.subsystem_id = Field<std::uint16_t>(j, "subsystem_id", where, 0);
  device.class_code = Field<std::uint32_t>(j, "class_code", where, 0);
  if (j.contains("registers")) {
    for (const auto& [reg, value] : j.at("registers").items()) {
      const auto offset = static_cast<std::uint8_t>(Number(reg, where + ".registers", 0xFC));
      if (offset % 4 != 0) throw ProfileError(where + ".registers." + reg + ": not dword aligned");
      device.registers[offset] =
          static_cast<std::uint32_t>(Number(value, where + ".registers." + reg, 0xFFFFFFFF));
    }
  }
  if (j.contains("card")) device.card = CardFromJson(j.at("card"), where + ".card");
  return device;
}

json CardToJson(const CardSpec& card) {
  json j = {{"pll_m", card.pll_m}, {"pll_n", card.pll_n}, {"pll_p", card.pll_p}};
  if (!card.dac.empty()) {
    json dac = json::object();
    for (const auto& [reg, value] : card.dac) dac[Hex(reg, 2)] = Hex(value, 2);
    j["dac"] = dac;
  }
  if (card.pll_never_locks) j["pll_never_locks"] = true;
  if (card.pll_lock_reads != 0) j["pll_lock_reads"] = card.pll_lock_reads;
  return j;
}

json DeviceToJson(const PciDeviceSpec& d) {
  json j = {{"name", d.name},
            {"bus", d.bus},
            {"device", d.device},
            {"vendor_id", Hex(d.vendor_id, 4)},
            {"device_id", Hex(d.device_id, 4)},
            {"subsystem_vendor", Hex(d.subsystem_vendor, 4)},
            {"subsystem_id", Hex(d.subsystem_id, 4)},
            {"class_code", Hex(d.class_code, 6)}};
  if (!d.registers.empty()) {
    json regs = json::object();
    for (const auto& [reg, value] : d.registers) regs[Hex(reg, 2)] = Hex(value, 8);
    j["registers"] = regs;
  }
  if (d.card) j["card"] = CardToJson(*d.card);
  return j;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// ---- the WMI repository --------------------------------------------------

// Class and property names are identifiers: letters, digits, underscores.
void CheckIdentifier(const std::string& name, const std::string& where) {
  const bool ok =
      !name.empty() && name.size() <= 255 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
      });
  if (!ok) throw ProfileError(where + ": \"" + name + "\" is not a name (letters, digits, _)");
}

void CheckKeys(const json& object, std::initializer_list<const char*> known,
               const std::string& where) {
  for (const auto& item : object.items()) {
    const std::string& key = item.key();
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) ==
        known.end()) {
      std::string list;
      for (const char* k : known) list += std::string(list.empty() ? "" : ", ") + k;
      throw ProfileError(where + ": unknown entry \"" + key + "\" (known: " + list + ")");
    }
  }
}

HResult Result(const json& value, const std::string& where) {
  return static_cast<HResult>(static_cast<std::uint32_t>(Number(value, where, 0xFFFFFFFF)));
}

HResult FailureResult(const json& value, const std::string& where) {
  const HResult result = Result(value, where);
  if (!Failed(result)) throw ProfileError(where + ": must be a failure (0x80000000 or above)");
  return result;
}

// Text, a whole number of 32 bits (unsigned ones read back as V_I4 reads
// a VT_UI4), true/false, null, or a list: a kind the port calls other.
WmiValue PropertyValue(const json& value, const std::string& where) {
  WmiValue result;
  if (value.is_null()) return result;
  if (value.is_string()) {
    result.type = WmiType::kText;
    result.text = value.get<std::string>();
  } else if (value.is_boolean()) {
    result.type = WmiType::kBool;
    result.boolean = value.get<bool>();
  } else if (value.is_number_integer() || value.is_number_unsigned()) {
    const bool fits = value.is_number_unsigned()
                          ? value.get<std::uint64_t>() <= 0xFFFFFFFFu
                          : value.get<std::int64_t>() >= INT32_MIN &&
                                value.get<std::int64_t>() <= std::int64_t{0xFFFFFFFF};
    if (!fits) throw ProfileError(where + ": " + value.dump() + " does not fit 32 bits");
    result.type = WmiType::kInt32;
    result.number = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        value.is_number_unsigned() ? value.get<std::uint64_t>()
                                   : static_cast<std::uint64_t>(value.get<std::int64_t>())));
  } else if (value.is_array()) {
    result.type = WmiType::kOther;
  } else {
    throw ProfileError(where +
                       ": expected text, a whole number, true/false, null or a list (another "
                       "kind of value)");
  }
  return result;
}

WmiInstance InstanceFromJson(const json& j, const std::string& where) {
  if (!j.is_object()) throw ProfileError(where + ": expected an object of properties");
  WmiInstance instance;
  for (const auto& [name, value] : j.items()) {
    CheckIdentifier(name, where);
    for (const WmiProperty& other : instance) {
      if (NamesEqual(other.name, name)) {
        throw ProfileError(where + ": \"" + other.name + "\" and \"" + name +
                           "\" name one property");
      }
    }
    instance.push_back({name, PropertyValue(value, where + "." + name)});
  }
  return instance;
}

void AddFaults(const json& f, WmiRepository& repository) {
  const std::string where = "wmi.faults";
  if (!f.is_object()) throw ProfileError(where + ": expected an object");
  CheckKeys(f, {"initialize", "security", "locator", "connect", "enumerate", "fetch"}, where);
  if (f.contains("initialize")) {
    repository.initialize_result = FailureResult(f.at("initialize"), where + ".initialize");
  }
  if (f.contains("security")) {
    repository.security_result = FailureResult(f.at("security"), where + ".security");
  }
  if (f.contains("locator")) {
    repository.locator_result = FailureResult(f.at("locator"), where + ".locator");
  }
  if (f.contains("connect")) {
    repository.connect_result = FailureResult(f.at("connect"), where + ".connect");
  }
  if (f.contains("enumerate")) {
    if (!f.at("enumerate").is_object()) {
      throw ProfileError(where + ".enumerate: expected an object of class names and results");
    }
    for (const auto& [name, result] : f.at("enumerate").items()) {
      CheckIdentifier(name, where + ".enumerate");
      repository.enumerate_results.emplace_back(
          name, FailureResult(result, where + ".enumerate." + name));
    }
  }
  if (f.contains("fetch")) {
    if (!f.at("fetch").is_array()) throw ProfileError(where + ".fetch: expected a list");
    int index = 0;
    for (const json& item : f.at("fetch")) {
      const std::string at = where + ".fetch[" + std::to_string(index++) + "]";
      if (!item.is_object()) throw ProfileError(at + ": expected an object");
      CheckKeys(item, {"class", "at", "result", "object"}, at);
      if (!item.contains("class") || !item.contains("at") || !item.contains("result")) {
        throw ProfileError(at + ": \"class\", \"at\" and \"result\" are required");
      }
      WmiFetchFault fault;
      fault.class_name = Text(item, "class", at);
      CheckIdentifier(fault.class_name, at + ".class");
      fault.at = Field<std::uint32_t>(item, "at", at, 0);
      if (fault.at == 0) throw ProfileError(at + ".at: fetches count from 1");
      fault.result = Result(item.at("result"), at + ".result");
      fault.object = Flag(item, "object", at, false);
      if (fault.object && Failed(fault.result)) {
        throw ProfileError(at + ": a failing fetch delivers no object");
      }
      repository.fetch_faults.push_back(fault);
    }
  }
}

}  // namespace

WmiRepository WmiRepositoryFromJson(const json& j) {
  if (!j.is_object()) throw ProfileError("wmi: expected an object");
  CheckKeys(j, {"namespace", "classes", "faults"}, "wmi");
  WmiRepository repository;
  repository.namespace_path = Text(j, "namespace", "wmi");
  if (j.contains("classes")) {
    const json& classes = j.at("classes");
    if (!classes.is_object()) throw ProfileError("wmi.classes: expected an object of classes");
    for (const auto& [name, instances] : classes.items()) {
      const std::string where = "wmi.classes." + name;
      CheckIdentifier(name, "wmi.classes");
      for (const WmiClass& other : repository.classes) {
        if (NamesEqual(other.name, name)) {
          throw ProfileError("wmi.classes: \"" + other.name + "\" and \"" + name +
                             "\" name one class");
        }
      }
      if (!instances.is_array()) throw ProfileError(where + ": expected a list of instances");
      WmiClass wmi_class{name, {}};
      for (std::size_t i = 0; i < instances.size(); ++i) {
        wmi_class.instances.push_back(
            InstanceFromJson(instances[i], where + "[" + std::to_string(i) + "]"));
      }
      repository.classes.push_back(std::move(wmi_class));
    }
  }
  if (j.contains("faults")) AddFaults(j.at("faults"), repository);
  return repository;
}

std::vector<std::string> WindowsDirectoryNames(const std::string& directory) {
  std::vector<std::string> names;
  const std::string rest = directory.size() > 3 ? directory.substr(3) : std::string();
  for (std::size_t start = 0;;) {
    const std::size_t end = rest.find('\\', start);
    names.push_back(rest.substr(start, end - start));
    if (end == std::string::npos) return names;
    start = end + 1;
  }
}

namespace {

// "C:\NAME" or "C:\NAME\NAME...": the drive's folders are made from it
// name by name, so none may step outside the drive or be empty.
bool WindowsDirectoryIsSound(const std::string& directory) {
  if (directory.size() < 4 || (directory[0] != 'C' && directory[0] != 'c') ||
      directory.substr(1, 2) != ":\\") {
    return false;
  }
  for (const std::string& part : WindowsDirectoryNames(directory)) {
    if (part.empty() || part == "." || part == ".." ||
        part.find_first_of("/:") != std::string::npos) {
      return false;
    }
  }
  return true;
}

void CheckBios(const BiosSpec& bios) {
  try {
    BuildVideoBios(bios.version_text, bios.parameter_block_offset, bios.parameter_block,
                   bios.block_pointer);
  } catch (const std::invalid_argument& error) {
    throw ProfileError(std::string("bios: ") + error.what());
  }
}

// Two devices in one slot would leave the first one's card attached to a
// device the bus no longer holds.
void CheckSlots(const std::vector<PciDeviceSpec>& devices) {
  for (std::size_t i = 0; i < devices.size(); ++i) {
    for (std::size_t k = 0; k < i; ++k) {
      if (devices[k].bus == devices[i].bus && devices[k].device == devices[i].device) {
        throw ProfileError("pci[" + std::to_string(i) + "]: bus " + std::to_string(devices[i].bus) +
                           " device " + std::to_string(devices[i].device) + " is taken by pci[" +
                           std::to_string(k) + "]");
      }
    }
  }
}

}  // namespace

Profile ProfileFromJson(const json& j) {
  if (!j.is_object()) throw ProfileError("profile: expected a JSON object");
  Profile p;
  p.name = Text(j, "name", "profile");
  p.real_drivers = Flag(j, "real_drivers", "profile", false);
  p.description = Text(j, "description", "profile");
  if (!j.contains("windows")) throw ProfileError("profile: \"windows\" is required");
  const json& w = j.at("windows");
  p.version.platform_id = Field<std::uint32_t>(w, "platform_id", "windows", 2);
  p.version.major = Field<std::uint32_t>(w, "major", "windows", 5);
  p.version.minor = Field<std::uint32_t>(w, "minor", "windows", 0);
  p.version.build = Field<std::uint32_t>(w, "build", "windows", 0);
  p.version.csd = Text(w, "csd", "windows");
  p.windows_directory = Text(w, "directory", "windows", "C:\\WINDOWS");
  if (!WindowsDirectoryIsSound(p.windows_directory)) {
    throw ProfileError(
        "windows.directory: must be a folder on C:, such as C:\\WINNT (names "
        "separated by single backslashes, no \".\", \"..\", \"/\" or \":\")");
  }
  p.clean_boot = Field<int>(w, "clean_boot", "windows", 0);
  const json user = j.value("user", json::object());
  p.administrator = Flag(user, "administrator", "user", true);
  p.shutdown_privilege = Flag(user, "shutdown_privilege", "user", true);

  if (j.contains("pci")) {
    if (!j.at("pci").is_array()) throw ProfileError("pci: expected a list of devices");
    int index = 0;
    for (const json& device : j.at("pci")) {
      p.pci.push_back(DeviceFromJson(device, "pci[" + std::to_string(index++) + "]"));
    }
    CheckSlots(p.pci);
  }
  if (j.contains("bios")) {
    const json& b = j.at("bios");
    p.bios.version_text = Text(b, "version_text", "bios");
    p.bios.parameter_block_offset =
        Field<std::uint16_t>(b, "parameter_block_offset", "bios", 0x7C00);
    if (b.contains("parameter_block")) {
      for (const json& byte : b.at("parameter_block")) {
        p.bios.parameter_block.push_back(
            static_cast<std::uint8_t>(Number(byte, "bios.parameter_block", 0xFF)));
      }
    }
    if (p.bios.parameter_block_offset + p.bios.parameter_block.size() > 0x7FFC) {
      throw ProfileError("bios: the parameter block must end before offset 0x7FFC");
    }
    if (b.contains("block_pointer")) {
      p.bios.block_pointer = Field<std::uint16_t>(b, "block_pointer", "bios", 0);
    }
    CheckBios(p.bios);
  }
  if (j.contains("faults")) {
    const json& f = j.at("faults");
    p.faults.driver_never_loads = Names(f, "driver_never_loads", "faults");
    p.faults.device_open_fails = Names(f, "device_open_fails", "faults");
    if (f.contains("vxd_version")) {
      p.faults.vxd_version = Field<std::uint32_t>(f, "vxd_version", "faults", 0);
    }
    p.faults.restart_refused = Flag(f, "restart_refused", "faults", false);
  }
  if (j.contains("registry")) {
    const json& r = j.at("registry");
    if (r.is_string()) {
      p.registry = r.get<std::string>();
    } else if (r.is_array()) {
      for (const json& line : r) {
        if (!line.is_string()) throw ProfileError("registry: expected lines of text");
        p.registry += line.get<std::string>() + "\n";
      }
    } else {
      throw ProfileError("registry: expected REGEDIT4 text as a list of lines");
    }
  }
  if (j.contains("wmi")) {
    p.wmi = j.at("wmi");
    WmiRepositoryFromJson(p.wmi);  // checked now, so a machine never opens with a bad one
  }
  return p;
}

json ProfileToJson(const Profile& p) {
  json j;
  j["name"] = p.name;
  j["description"] = p.description;
  // Written only when on, so the profiles of before read the same.
  if (p.real_drivers) j["real_drivers"] = true;
  j["windows"] = {{"platform_id", p.version.platform_id},
                  {"major", p.version.major},
                  {"minor", p.version.minor},
                  {"build", p.version.build},
                  {"csd", p.version.csd},
                  {"directory", p.windows_directory},
                  {"clean_boot", p.clean_boot}};
  j["user"] = {{"administrator", p.administrator}};
  // Written only when denied, so the profiles of before read the same.
  if (!p.shutdown_privilege) j["user"]["shutdown_privilege"] = false;
  j["pci"] = json::array();
  for (const PciDeviceSpec& d : p.pci) j["pci"].push_back(DeviceToJson(d));
  json block = json::array();
  for (std::uint8_t byte : p.bios.parameter_block) block.push_back(byte);
  j["bios"] = {{"version_text", p.bios.version_text},
               {"parameter_block_offset", Hex(p.bios.parameter_block_offset, 4)},
               {"parameter_block", block}};
  if (p.bios.block_pointer) j["bios"]["block_pointer"] = Hex(*p.bios.block_pointer, 4);
  json faults = json::object();
  if (!p.faults.driver_never_loads.empty())
    faults["driver_never_loads"] = p.faults.driver_never_loads;
  if (!p.faults.device_open_fails.empty()) faults["device_open_fails"] = p.faults.device_open_fails;
  if (p.faults.vxd_version) faults["vxd_version"] = Hex(*p.faults.vxd_version, 8);
  if (p.faults.restart_refused) faults["restart_refused"] = true;
  j["faults"] = faults;
  j["registry"] = Lines(p.registry);
  j["wmi"] = p.wmi;
  return j;
}

}  // namespace tunora::sim
