#include "sim/machine/profile.h"

#include <cstdio>

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
  return static_cast<T>(Number(object.at(key), where + "." + key, static_cast<std::uint64_t>(~T{})));
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

}  // namespace

Profile ProfileFromJson(const json& j) {
  if (!j.is_object()) throw ProfileError("profile: expected a JSON object");
  Profile p;
  p.name = Text(j, "name", "profile");
  p.description = Text(j, "description", "profile");
  if (!j.contains("windows")) throw ProfileError("profile: \"windows\" is required");
  const json& w = j.at("windows");
  p.version.platform_id = Field<std::uint32_t>(w, "platform_id", "windows", 2);
  p.version.major = Field<std::uint32_t>(w, "major", "windows", 5);
  p.version.minor = Field<std::uint32_t>(w, "minor", "windows", 0);
  p.version.build = Field<std::uint32_t>(w, "build", "windows", 0);
  p.version.csd = Text(w, "csd", "windows");
  p.windows_directory = Text(w, "directory", "windows", "C:\\WINDOWS");
  if (p.windows_directory.size() < 4 || (p.windows_directory.substr(0, 3) != "C:\\" &&
                                         p.windows_directory.substr(0, 3) != "c:\\")) {
    throw ProfileError("windows.directory: must be a folder on C:, such as C:\\WINNT");
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
  }
  if (j.contains("faults")) {
    const json& f = j.at("faults");
    p.faults.driver_never_loads = Names(f, "driver_never_loads", "faults");
    p.faults.device_open_fails = Names(f, "device_open_fails", "faults");
    if (f.contains("vxd_version")) {
      p.faults.vxd_version = Field<std::uint32_t>(f, "vxd_version", "faults", 0);
    }
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
  if (j.contains("wmi")) p.wmi = j.at("wmi");
  return p;
}

json ProfileToJson(const Profile& p) {
  json j;
  j["name"] = p.name;
  j["description"] = p.description;
  j["windows"] = {{"platform_id", p.version.platform_id}, {"major", p.version.major},
                  {"minor", p.version.minor},             {"build", p.version.build},
                  {"csd", p.version.csd},                 {"directory", p.windows_directory},
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
  if (!p.faults.driver_never_loads.empty()) faults["driver_never_loads"] = p.faults.driver_never_loads;
  if (!p.faults.device_open_fails.empty()) faults["device_open_fails"] = p.faults.device_open_fails;
  if (p.faults.vxd_version) faults["vxd_version"] = Hex(*p.faults.vxd_version, 8);
  j["faults"] = faults;
  j["registry"] = Lines(p.registry);
  j["wmi"] = p.wmi;
  return j;
}

}  // namespace tunora::sim
