#include "sim/emulator/le_image.h"

#include "sim/emulator/image_bytes.h"

namespace tunora::emulator {
namespace {

constexpr std::uint32_t kObjectSpacing = 0x100000;
// A VxD has a handful of objects (code, data, init, ...); each gets its
// own megabyte.
constexpr std::uint32_t kMostObjects = 16;

// Header fields, as offsets from the LE header.
constexpr std::uint32_t kPageCount = 0x14;
constexpr std::uint32_t kPageSize = 0x28;
constexpr std::uint32_t kLastPageBytes = 0x2C;
constexpr std::uint32_t kObjectTable = 0x40;
constexpr std::uint32_t kObjectCount = 0x44;
constexpr std::uint32_t kPageMap = 0x48;
constexpr std::uint32_t kResidentNames = 0x58;
constexpr std::uint32_t kEntryTable = 0x5C;
constexpr std::uint32_t kFixupPageTable = 0x68;
constexpr std::uint32_t kFixupRecords = 0x6C;
constexpr std::uint32_t kImportedModuleCount = 0x74;
constexpr std::uint32_t kDataPages = 0x80;  // from the start of the file

// Fixup record: source types (low nibble) and flags.
constexpr std::uint8_t kSourceMask = 0x0F;
constexpr std::uint8_t kSourceOffset32 = 0x07;
constexpr std::uint8_t kSourceSelfRelative32 = 0x08;
constexpr std::uint8_t kSourceAlias = 0x10;
constexpr std::uint8_t kSourceList = 0x20;
constexpr std::uint8_t kTargetMask = 0x03;
constexpr std::uint8_t kTargetInternal = 0x00;
constexpr std::uint8_t kAdditive = 0x04;
constexpr std::uint8_t kTargetOffset32 = 0x10;
constexpr std::uint8_t kAdditive32 = 0x20;
constexpr std::uint8_t kObjectNumber16 = 0x40;

// Entry table bundle types.
constexpr std::uint8_t kBundleUnused = 0;
constexpr std::uint8_t kBundle16 = 1;
constexpr std::uint8_t kBundleCallGate = 2;
constexpr std::uint8_t kBundle32 = 3;

}  // namespace

LoadedLe LoadLe(X86Emulator& emulator, std::span<const std::uint8_t> file,
                std::uint32_t first_object_address) {
  if (Le16(file, 0, "the MZ header") != 0x5A4D) throw MalformedImage("no MZ signature");
  const std::uint32_t le = Le32(file, 0x3C, "the MZ header");
  if (Le16(file, le, "the LE signature") != 0x454C) throw MalformedImage("no LE signature");
  if (Le8(file, le + 2, "the LE header") != 0 || Le8(file, le + 3, "the LE header") != 0) {
    throw MalformedImage("not a little-endian module");
  }
  auto header = [&](std::uint32_t field) { return Le32(file, le + field, "the LE header"); };
  if (header(kImportedModuleCount) != 0) {
    throw MalformedImage("the module imports from other modules; a VxD reaches the VMM by int 20h");
  }
  const std::uint32_t page_size = header(kPageSize);
  const std::uint32_t page_count = header(kPageCount);
  if (page_size != kPage) throw MalformedImage("pages of another size than 4096 bytes");
  const std::uint32_t data_pages = header(kDataPages);

  // Every page has a 4-byte map entry in the file: that bounds the tables
  // sized by the count before anything is allocated for them.
  Need(file, std::uint64_t{le} + header(kPageMap), 4ull * page_count, "the page map");
  LoadedLe loaded;
  const std::uint32_t object_count = header(kObjectCount);
  if (object_count > kMostObjects) throw MalformedImage("more objects than this loader places");
  std::vector<std::vector<std::uint8_t>> images;
  std::vector<std::uint32_t> object_of_page(page_count + 1, 0);  // 1-based pages
  std::vector<std::uint32_t> page_offset(page_count + 1, 0);     // within its object
  for (std::uint32_t i = 0; i < object_count; ++i) {
    const std::uint64_t entry = le + header(kObjectTable) + 24ull * i;
    LeObject object;
    object.virtual_size = Le32(file, entry, "an object table entry");
    object.relocation_base = Le32(file, entry + 4, "an object table entry");
    object.flags = Le32(file, entry + 8, "an object table entry");
    const std::uint32_t first_page = Le32(file, entry + 12, "an object table entry");
    const std::uint32_t pages = Le32(file, entry + 16, "an object table entry");
    object.address = first_object_address + i * kObjectSpacing;
    if (object.virtual_size > kObjectSpacing || pages > kObjectSpacing / kPage) {
      throw MalformedImage("an object larger than this loader places");
    }
    std::vector<std::uint8_t> image(std::max(RoundUp(object.virtual_size), pages * kPage), 0);
    for (std::uint32_t p = 0; p < pages; ++p) {
      const std::uint32_t index = first_page + p;  // 1-based
      if (index == 0 || index > page_count) throw MalformedImage("a page outside the page map");
      // The page map entry: a 24-bit page number, high byte first, then
      // the page's type (0: its data is in the file).
      const std::uint64_t map = le + header(kPageMap) + 4ull * (index - 1);
      const std::uint32_t number = Le8(file, map, "a page map entry") << 16 |
                                   Le8(file, map + 1, "a page map entry") << 8 |
                                   Le8(file, map + 2, "a page map entry");
      const std::uint8_t type = Le8(file, map + 3, "a page map entry");
      if (type != 0) throw MalformedImage("a page that is not stored in the file");
      if (number == 0 || number > page_count) throw MalformedImage("a page number past the data");
      const std::uint32_t bytes = number == page_count ? header(kLastPageBytes) : kPage;
      const std::uint64_t from = data_pages + std::uint64_t{number - 1} * kPage;
      Need(file, from, bytes, "a data page");
      std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(from), std::min(bytes, kPage),
                  image.begin() + p * kPage);
      object_of_page[index] = i + 1;
      page_offset[index] = p * kPage;
    }
    loaded.objects.push_back(object);
    images.push_back(std::move(image));
  }

  // Fixups, page by page: records [table[i - 1], table[i]) belong to page i.
  const std::uint64_t fixup_pages = le + header(kFixupPageTable);
  const std::uint64_t records = le + header(kFixupRecords);
  for (std::uint32_t page = 1; page <= page_count; ++page) {
    const std::uint32_t begin = Le32(file, fixup_pages + 4ull * (page - 1), "the fixup page table");
    const std::uint32_t end = Le32(file, fixup_pages + 4ull * page, "the fixup page table");
    if (begin > end) throw MalformedImage("the fixup page table runs backwards");
    if (begin != end && object_of_page[page] == 0) {
      throw MalformedImage("fixups for a page no object holds");
    }
    std::uint64_t at = records + begin;
    while (at < records + end) {
      const std::uint8_t source = Le8(file, at, "a fixup record");
      const std::uint8_t flags = Le8(file, at + 1, "a fixup record");
      at += 2;
      if (source & kSourceAlias) throw MalformedImage("a fixup to an alias");
      if ((flags & kTargetMask) != kTargetInternal) {
        throw MalformedImage("a fixup to an import or an entry; only internal ones are known");
      }
      const std::uint8_t kind = source & kSourceMask;
      if (kind != kSourceOffset32 && kind != kSourceSelfRelative32) {
        throw MalformedImage("fixup source type " + std::to_string(kind) + " is not a 32-bit one");
      }
      std::vector<std::int32_t> sources;
      std::uint8_t source_count = 1;
      if (source & kSourceList) {
        source_count = Le8(file, at, "a fixup record");
        at += 1;
      } else {
        sources.push_back(static_cast<std::int16_t>(Le16(file, at, "a fixup record")));
        at += 2;
      }
      std::uint32_t target_object = 0;
      if (flags & kObjectNumber16) {
        target_object = Le16(file, at, "a fixup record");
        at += 2;
      } else {
        target_object = Le8(file, at, "a fixup record");
        at += 1;
      }
      std::uint32_t target_offset = 0;
      if (flags & kTargetOffset32) {
        target_offset = Le32(file, at, "a fixup record");
        at += 4;
      } else {
        target_offset = Le16(file, at, "a fixup record");
        at += 2;
      }
      if (flags & kAdditive) {
        target_offset += (flags & kAdditive32) ? Le32(file, at, "a fixup record")
                                               : Le16(file, at, "a fixup record");
        at += (flags & kAdditive32) ? 4 : 2;
      }
      if (source & kSourceList) {
        for (std::uint8_t i = 0; i < source_count; ++i, at += 2) {
          sources.push_back(static_cast<std::int16_t>(Le16(file, at, "a fixup source list")));
        }
      }
      if (target_object == 0 || target_object > loaded.objects.size()) {
        throw MalformedImage("a fixup to an object the module does not have");
      }
      const std::uint32_t target = loaded.objects[target_object - 1].address + target_offset;
      const std::uint32_t holder = object_of_page[page] - 1;
      for (std::int32_t offset : sources) {
        const std::int64_t in_object = std::int64_t{page_offset[page]} + offset;
        if (in_object < 0) throw MalformedImage("a fixup before its object");
        const auto where = static_cast<std::uint32_t>(in_object);
        const std::uint32_t address = loaded.objects[holder].address + where;
        const std::uint32_t value = kind == kSourceOffset32 ? target : target - (address + 4);
        StoreLe(images[holder], where, value, 4, "a fixup's source");
        ++loaded.fixups_applied;
      }
    }
  }

  // Resident names: length, name, ordinal; the first is the module's.
  for (std::uint64_t at = le + header(kResidentNames);;) {
    const std::uint8_t length = Le8(file, at, "the resident names");
    if (length == 0) break;
    Need(file, at + 1, length + 2u, "a resident name");
    std::string name(file.begin() + static_cast<std::ptrdiff_t>(at + 1),
                     file.begin() + static_cast<std::ptrdiff_t>(at + 1 + length));
    const std::uint16_t ordinal = Le16(file, at + 1 + length, "a resident name");
    if (ordinal == 0) {
      loaded.module_name = name;
    } else {
      loaded.exports.push_back(name);
    }
    at += 3u + length;
  }

  // Entry table: bundles of a count, a type and (but for unused ones) an
  // object number, then the entries.
  std::uint32_t ordinal = 1;
  for (std::uint64_t at = le + header(kEntryTable);;) {
    const std::uint8_t count = Le8(file, at, "the entry table");
    if (count == 0) break;
    const std::uint8_t type = Le8(file, at + 1, "the entry table");
    at += 2;
    if (type == kBundleUnused) {
      ordinal += count;
      continue;
    }
    const std::uint16_t object = Le16(file, at, "the entry table");
    at += 2;
    const std::uint32_t entry_size = type == kBundle32 ? 5 : type == kBundle16 ? 3 : 0;
    if (type == kBundleCallGate || entry_size == 0) {
      throw MalformedImage("an entry bundle of type " + std::to_string(type));
    }
    for (std::uint8_t i = 0; i < count; ++i, ++ordinal, at += entry_size) {
      const std::uint32_t offset =
          type == kBundle32 ? Le32(file, at + 1, "an entry") : Le16(file, at + 1, "an entry");
      if (ordinal == 1) {
        if (object == 0 || object > loaded.objects.size()) {
          throw MalformedImage("entry 1 in an object the module does not have");
        }
        loaded.entry_ordinal_1 = loaded.objects[object - 1].address + offset;
      }
    }
  }
  for (std::size_t i = 0; i < images.size(); ++i) {
    emulator.Map(loaded.objects[i].address, static_cast<std::uint32_t>(images[i].size()));
    emulator.Write(loaded.objects[i].address, images[i]);
  }
  return loaded;
}

}  // namespace tunora::emulator
