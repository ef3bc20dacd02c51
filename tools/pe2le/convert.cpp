#include "tools/pe2le/convert.h"

#include <algorithm>
#include <stdexcept>

namespace tunora::pe2le {
namespace {

// The sections that end up in the module: discardable ones (.reloc), the
// export directory and the (empty) import directory are the PE's own
// bookkeeping.
bool Loaded(const PeSection& section) {
  return (section.characteristics & kScnDiscardable) == 0 && section.name != ".edata" &&
         section.name != ".idata" && section.virtual_size != 0;
}

bool IsCode(const PeSection& section) {
  return (section.characteristics & (kScnExecute | kScnCode)) != 0;
}

struct Span {
  std::uint32_t start = 0;  // RVA
  std::uint32_t end = 0;    // RVA, exclusive
  bool code = false;
};

std::vector<Span> GroupSections(std::vector<PeSection> sections) {
  std::sort(sections.begin(), sections.end(),
            [](const PeSection& a, const PeSection& b) { return a.rva < b.rva; });
  std::vector<Span> spans;
  for (const PeSection& section : sections) {
    if (!Loaded(section)) continue;
    const Span next{section.rva, section.rva + section.virtual_size, IsCode(section)};
    if (!spans.empty() && spans.back().code == next.code) {
      spans.back().end = next.end;
    } else {
      spans.push_back(next);
    }
  }
  return spans;
}

// The object (0-based) holding [rva, rva + size), if any.
int ObjectAt(const std::vector<Span>& spans, std::uint32_t rva, std::uint32_t size) {
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (rva >= spans[i].start && std::uint64_t{rva} + size <= spans[i].end) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// A target address may also point just past the end of its object.
int TargetObject(const std::vector<Span>& spans, std::uint32_t rva) {
  const int inside = ObjectAt(spans, rva, 1);
  if (inside >= 0) return inside;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (rva == spans[i].end) return static_cast<int>(i);
  }
  return -1;
}

std::uint32_t Load32(const std::vector<std::uint8_t>& bytes, std::uint32_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

LeLayout ConvertToVxd(const PeImage& image, const VxdNames& names) {
  if (image.has_imports) throw std::invalid_argument("a virtual device cannot import");
  const std::vector<Span> spans = GroupSections(image.sections);
  if (spans.empty()) throw std::invalid_argument("no loaded sections");

  LeLayout layout;
  layout.module_name = names.module_name;
  layout.module_flags = kModuleVirtualDeviceDriver;
  layout.target_os = kOsWindows386;
  layout.device_id = 0;  // undefined device id: loaded dynamically
  layout.ddk_version = kVxdDdkVersion;
  for (const Span& span : spans) {
    LeObject object;
    object.virtual_size = span.end - span.start;
    object.relocation_base = 0;
    object.flags = kObjectReadable | kObjectPreload | kObjectBig |
                   (span.code ? kObjectExecutable : kObjectWritable);
    // Uninitialised data is stored as zeros, so every page is in the file.
    object.data.assign(object.virtual_size, 0);
    layout.objects.push_back(std::move(object));
  }
  for (const PeSection& section : image.sections) {
    if (!Loaded(section)) continue;
    const int index = ObjectAt(spans, section.rva, section.virtual_size);
    std::copy(section.data.begin(), section.data.end(),
              layout.objects[index].data.begin() + (section.rva - spans[index].start));
  }

  for (std::uint32_t rva : image.highlow_relocations) {
    const int source = ObjectAt(spans, rva, 4);
    if (source < 0) throw std::invalid_argument("relocation outside the loaded sections");
    LeObject& object = layout.objects[source];
    const std::uint32_t offset = rva - spans[source].start;
    const std::uint32_t address = Load32(object.data, offset);
    const int target = TargetObject(spans, address - image.image_base);
    if (address < image.image_base || target < 0) {
      throw std::invalid_argument("relocation to an address outside the loaded sections");
    }
    object.fixups.push_back({offset, static_cast<std::uint16_t>(target + 1),
                             address - image.image_base - spans[target].start});
    // The loader writes the whole address; nothing of the PE's survives.
    std::fill_n(object.data.begin() + offset, 4, 0);
  }

  const auto ddb = image.exports.find(names.ddb_export);
  if (ddb == image.exports.end()) throw std::invalid_argument("no " + names.ddb_export + " export");
  const int ddb_object = ObjectAt(spans, ddb->second, 1);
  if (ddb_object < 0) throw std::invalid_argument(names.ddb_export + " outside the sections");
  layout.exports.push_back({names.ddb_export, static_cast<std::uint16_t>(ddb_object + 1),
                            ddb->second - spans[ddb_object].start});
  return layout;
}

}  // namespace tunora::pe2le
