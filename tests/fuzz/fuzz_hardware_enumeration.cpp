// Arbitrary entities and allocations, as the collecting dumps store them,
// through the hardware enumeration. Input: one record a line, fields split
// by tabs: "E<TAB>description<TAB>manufacturer<TAB>device id" or
// "A<TAB>antecedent<TAB>dependent"; other lines are skipped.
//
// Checked: every line of the section is a rule or a labelled line with no
// control character; an allocation's path yields an identifier only when
// the path is that identifier quoted with its escapes; the entities listed
// are exactly those some allocation names whole; an identifier part
// printed comes from an entity's identifier, never from elsewhere in a path.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "hwlog/hardware_log.h"

namespace {

using tunora::PnpCollection;

[[noreturn]] void Fail(const char* what, std::string_view detail) {
  std::fprintf(stderr, "%s: %.*s\n", what, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

std::vector<std::string_view> Split(std::string_view text, char at) {
  std::vector<std::string_view> parts;
  for (std::size_t from = 0;;) {
    const std::size_t end = text.find(at, from);
    parts.push_back(text.substr(from, end - from));
    if (end == std::string_view::npos) return parts;
    from = end + 1;
  }
}

// How an identifier is written inside a quoted key of an object path.
std::string Escaped(std::string_view id) {
  std::string out;
  for (const char c : id) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

// Whether the path names this identifier as a quoted DeviceID key, whole.
bool Names(std::string_view path, std::string_view id) {
  const std::size_t quote = path.find('"');
  if (quote == std::string_view::npos || quote < 9) return false;
  std::string key(path.substr(quote - 9, 9));
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return key == "deviceid=" && path.substr(quote) == "\"" + Escaped(id) + "\"";
}

constexpr std::string_view kRule = "  --------------------------------------- ";
constexpr std::string_view kLabels[] = {
    "  Device        = ", "  Manufacturer  = ", "  VendorID      = ", "  DeviceID      = ",
    "  SubSysID      = ", "  Revision      = ", "  ISA Device ID = ", "  ACPI          = ",
    "  IDE           = ", "  IRQ           = ", "  DMA           = ", "  Address       = "};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  PnpCollection c;
  std::size_t entities = 0, allocations = 0;
  const auto stored = [](std::string_view text) {
    return std::string(text.substr(0, tunora::kPnpTextLimit));
  };
  for (const std::string_view record : Split(input, '\n')) {
    const std::vector<std::string_view> f = Split(record, '\t');
    if (f[0] == "E" && f.size() == 4 && entities + 1 < tunora::kPnpEntries) {
      c.descriptions[++entities] = stored(f[1]);
      c.manufacturers[entities] = stored(f[2]);
      c.device_ids[entities] = stored(f[3]);
    } else if (f[0] == "A" && f.size() == 3 && allocations + 1 < tunora::kPnpEntries) {
      c.antecedents[++allocations] = stored(f[1]);
      c.dependents[allocations] = stored(f[2]);
    }
  }
  c.entity_count = static_cast<int>(entities + 1);
  c.allocation_count = static_cast<int>(allocations + 1);

  for (std::size_t a = 1; a <= allocations; ++a) {
    const std::optional<std::string> id = tunora::PathDeviceId(c.dependents[a]);
    if (id && !Names(c.dependents[a], *id)) Fail("identifier not in its path", c.dependents[a]);
  }
  std::size_t named = 0;
  std::vector<std::string> ids;
  for (std::size_t e = 1; e <= entities; ++e) {
    ids.push_back(tunora::LogValue(c.device_ids[e]));
    for (std::size_t a = 1; a <= allocations; ++a) {
      if (Names(c.dependents[a], c.device_ids[e])) {
        ++named;
        break;
      }
    }
  }

  const std::string section = tunora::HardwareEnumeration(c);
  if (section.empty() || section.back() != '\n') Fail("unfinished section", section);
  std::size_t devices = 0;
  for (const std::string_view line :
       Split(std::string_view(section).substr(0, section.size() - 1), '\n')) {
    if (std::any_of(line.begin(), line.end(),
                    [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F; })) {
      Fail("control character", line);
    }
    if (line == kRule) continue;
    const auto label = std::find_if(std::begin(kLabels), std::end(kLabels),
                                    [&](std::string_view l) { return line.starts_with(l); });
    if (label == std::end(kLabels)) Fail("unlabelled line", line);
    if (label == std::begin(kLabels)) ++devices;
    const std::string_view value = line.substr(label->size());
    const std::string_view markers[] = {"VEN_", "DEV_", "SUBSYS_", "REV_"};
    const auto part = static_cast<std::size_t>(label - std::begin(kLabels)) - 2;
    if (part < std::size(markers)) {
      const std::string wanted = std::string(markers[part]) + std::string(value);
      if (std::none_of(ids.begin(), ids.end(), [&](const std::string& id) {
            return id.find(wanted) != std::string::npos;
          })) {
        Fail("identifier part from outside the identifiers", line);
      }
    }
  }
  if (devices != named) Fail("entities listed are not those named whole", section);
  return 0;
}
