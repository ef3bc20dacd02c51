// Field names and layouts follow the LX format description ("LX - Linear
// eXecutable Module Format Description", IBM, June 3 1992) for the tables,
// Ralf Brown's interrupt list (tables 01609 to 01618, the LE header and its
// tables) for the places where LE differs from LX, and IMAGE_VXD_HEADER in
// the MinGW-w64 and Wine winnt.h for the Windows-only header fields.
// docs/le-format.md lists every value written and where it comes from.
#include "tools/pe2le/le_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tunora::pe2le {
namespace {

class Bytes {
 public:
  std::uint32_t size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  void U8(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(std::uint32_t value) {
    U8(value);
    U8(value >> 8);
  }
  void U32(std::uint32_t value) {
    U16(value);
    U16(value >> 16);
  }
  void Append(const std::vector<std::uint8_t>& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
  }
  void PadTo(std::uint32_t offset) {
    if (offset > size()) bytes_.resize(offset, 0);
  }
  void Patch32(std::uint32_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

std::uint32_t PageCount(const LeObject& object) {
  return static_cast<std::uint32_t>((object.data.size() + kLePageSize - 1) / kLePageSize);
}

void CheckLayout(const LeLayout& layout) {
  auto check = [](bool ok, const std::string& what) {
    if (!ok) throw std::invalid_argument(what);
  };
  check(!layout.objects.empty(), "no objects");
  check(layout.exports.size() < 256, "more than 255 exports");
  check(layout.module_name.size() < 256, "module name longer than 255 bytes");
  for (const LeObject& object : layout.objects) {
    check(object.data.size() <= object.virtual_size, "object data larger than its virtual size");
    for (const LeFixup& fixup : object.fixups) {
      check(std::uint64_t{fixup.source_offset} + 4 <= object.data.size(),
            "fixup outside its object's data");
      check(fixup.target_object >= 1 && fixup.target_object <= layout.objects.size(),
            "fixup to an object that does not exist");
      check(fixup.target_offset <= layout.objects[fixup.target_object - 1].virtual_size,
            "fixup target outside its object");
    }
  }
  for (const LeExport& entry : layout.exports) {
    check(entry.name.size() < 256, "export name longer than 255 bytes");
    check(entry.object >= 1 && entry.object <= layout.objects.size(),
          "export in an object that does not exist");
  }
}

// Fixup records, grouped by the module's pages (object by object).
std::vector<std::vector<std::uint8_t>> FixupRecordsByPage(const LeLayout& layout) {
  std::vector<std::vector<std::uint8_t>> pages;
  for (const LeObject& object : layout.objects) {
    std::vector<std::vector<std::uint8_t>> own(PageCount(object));
    std::vector<LeFixup> sorted = object.fixups;
    std::stable_sort(sorted.begin(), sorted.end(), [](const LeFixup& a, const LeFixup& b) {
      return a.source_offset < b.source_offset;
    });
    for (const LeFixup& fixup : sorted) {
      for (const PageFixup& part : SplitAtPages(fixup.source_offset)) {
        std::vector<std::uint8_t>& record = own[part.page];
        const bool wide_object = fixup.target_object > 0xFF;
        record.push_back(kFixupSource32BitOffset);
        record.push_back(kFixupTargetInternal | kFixupTarget32BitOffset |
                         (wide_object ? kFixupTarget16BitObject : 0));
        const auto srcoff = static_cast<std::uint16_t>(part.offset);
        record.push_back(static_cast<std::uint8_t>(srcoff));
        record.push_back(static_cast<std::uint8_t>(srcoff >> 8));
        record.push_back(static_cast<std::uint8_t>(fixup.target_object));
        if (wide_object) record.push_back(static_cast<std::uint8_t>(fixup.target_object >> 8));
        for (int i = 0; i < 4; ++i) {
          record.push_back(static_cast<std::uint8_t>(fixup.target_offset >> (8 * i)));
        }
      }
    }
    for (auto& page : own) pages.push_back(std::move(page));
  }
  return pages;
}

void WriteMzStub(Bytes& out) {
  // "This program cannot be run in DOS mode." and exit code 1, at 0x40.
  static const std::uint8_t kStubCode[] = {
      0x0E,              // push cs
      0x1F,              // pop ds
      0xBA, 0x0E, 0x00,  // mov dx, message (0x0E from the code's start)
      0xB4, 0x09,        // mov ah, 9: print string
      0xCD, 0x21,        // int 21h
      0xB8, 0x01, 0x4C,  // mov ax, 4C01h: exit with 1
      0xCD, 0x21,        // int 21h
  };
  static const char kMessage[] = "This program cannot be run in DOS mode.\r\n$";
  out.U16(0x5A4D);                 // e_magic "MZ"
  out.U16(kLeHeaderOffset % 512);  // e_cblp: bytes on the last 512-byte page
  out.U16(1);                      // e_cp: pages in the DOS image
  out.U16(0);                      // e_crlc: relocations
  out.U16(4);                      // e_cparhdr: header paragraphs (0x40 bytes)
  out.U16(0);                      // e_minalloc
  out.U16(0xFFFF);                 // e_maxalloc
  out.U16(0);                      // e_ss
  out.U16(0xB8);                   // e_sp
  out.U16(0);                      // e_csum
  out.U16(0);                      // e_ip
  out.U16(0);                      // e_cs
  out.U16(0x40);                   // e_lfarlc: at 0x40 or above, a new-style header follows
  out.U16(0);                      // e_ovno
  out.PadTo(0x3C);                 // e_res, e_oemid, e_oeminfo, e_res2
  out.U32(kLeHeaderOffset);        // e_lfanew
  for (std::uint8_t b : kStubCode) out.U8(b);
  for (const char* c = kMessage; *c != 0; ++c) out.U8(static_cast<std::uint8_t>(*c));
  if (out.size() > kLeHeaderOffset) throw std::logic_error("DOS stub overruns the LE header");
  out.PadTo(kLeHeaderOffset);
}

void WriteName(Bytes& out, const std::string& name, std::uint16_t ordinal) {
  out.U8(static_cast<std::uint32_t>(name.size()));
  for (char c : name) out.U8(static_cast<std::uint8_t>(c));
  out.U16(ordinal);
}

}  // namespace

std::vector<PageFixup> SplitAtPages(std::uint32_t source_offset) {
  const std::uint32_t page = source_offset / kLePageSize;
  const auto offset = static_cast<std::int16_t>(source_offset % kLePageSize);
  std::vector<PageFixup> parts = {{page, offset}};
  if (source_offset % kLePageSize > kLePageSize - 4) {
    parts.push_back({page + 1, static_cast<std::int16_t>(offset - kLePageSize)});
  }
  return parts;
}

std::vector<std::uint8_t> WriteLe(const LeLayout& layout) {
  CheckLayout(layout);
  Bytes out;
  WriteMzStub(out);

  std::uint32_t total_pages = 0;
  for (const LeObject& object : layout.objects) total_pages += PageCount(object);
  const auto fixup_pages = FixupRecordsByPage(layout);

  // The tables follow the header in the order the format description
  // lists them; their offsets are relative to the LE header.
  const std::uint32_t objtab = kLeHeaderSize;
  const std::uint32_t objmap =
      objtab + kObjectEntrySize * static_cast<std::uint32_t>(layout.objects.size());
  const std::uint32_t restab = objmap + kPageMapEntrySize * total_pages;
  std::uint32_t restab_size = 1 + static_cast<std::uint32_t>(layout.module_name.size()) + 2 + 1;
  for (const LeExport& entry : layout.exports) {
    restab_size += 1 + static_cast<std::uint32_t>(entry.name.size()) + 2;
  }
  const std::uint32_t enttab = restab + restab_size;
  std::uint32_t enttab_size = 1;  // the end marker
  for (std::size_t i = 0; i < layout.exports.size(); ++i) enttab_size += 2 + 2 + 5;
  const std::uint32_t fpagetab = enttab + enttab_size;
  std::uint32_t frectab_size = 0;
  for (const auto& page : fixup_pages) frectab_size += static_cast<std::uint32_t>(page.size());
  const std::uint32_t frectab = fpagetab + 4 * (total_pages + 1);
  const std::uint32_t impmod = frectab + frectab_size;
  const std::uint32_t impproc = impmod;                       // no imported modules
  const std::uint32_t fixup_end = impproc + 1;                // one empty name
  const std::uint32_t nrestab = kLeHeaderOffset + fixup_end;  // from the file's start
  const std::uint32_t nrestab_size = 1;
  // Data pages start on a 512-byte boundary of the file.
  const std::uint32_t datapage = (nrestab + nrestab_size + 511) / 512 * 512;
  // Only the file's last page may be short: that is the last page of the
  // last object that has any.
  std::size_t last_stored = 0;
  for (std::size_t i = 0; i < layout.objects.size(); ++i) {
    if (PageCount(layout.objects[i]) != 0) last_stored = i;
  }
  const auto last_object_bytes =
      static_cast<std::uint32_t>(layout.objects[last_stored].data.size());
  std::uint32_t last_page_size = last_object_bytes % kLePageSize;
  if (last_page_size == 0 && last_object_bytes != 0) last_page_size = kLePageSize;

  // LE header (IMAGE_VXD_HEADER).
  out.U16(0x454C);                                             // e32_magic "LE"
  out.U8(0);                                                   // e32_border: little-endian bytes
  out.U8(0);                                                   // e32_worder: little-endian words
  out.U32(0);                                                  // e32_level
  out.U16(kCpu386);                                            // e32_cpu
  out.U16(layout.target_os);                                   // e32_os
  out.U32(0);                                                  // e32_ver
  out.U32(layout.module_flags);                                // e32_mflags
  out.U32(total_pages);                                        // e32_mpages
  out.U32(0);                                                  // e32_startobj: no start address
  out.U32(0);                                                  // e32_eip
  out.U32(0);                                                  // e32_stackobj: no stack
  out.U32(0);                                                  // e32_esp
  out.U32(kLePageSize);                                        // e32_pagesize
  out.U32(last_page_size);                                     // e32_lastpagesize
  out.U32(fixup_end - fpagetab);                               // e32_fixupsize
  out.U32(0);                                                  // e32_fixupsum
  out.U32(fpagetab - objtab);                                  // e32_ldrsize
  out.U32(0);                                                  // e32_ldrsum
  out.U32(objtab);                                             // e32_objtab
  out.U32(static_cast<std::uint32_t>(layout.objects.size()));  // e32_objcnt
  out.U32(objmap);                                             // e32_objmap
  out.U32(0);                                                  // e32_itermap: no iterated pages
  out.U32(0);                                                  // e32_rsrctab: no OS/2 resources
  out.U32(0);                                                  // e32_rsrccnt
  out.U32(restab);                                             // e32_restab
  out.U32(enttab);                                             // e32_enttab
  out.U32(0);                                                  // e32_dirtab: no module directives
  out.U32(0);                                                  // e32_dircnt
  out.U32(fpagetab);                                           // e32_fpagetab
  out.U32(frectab);                                            // e32_frectab
  out.U32(impmod);                                             // e32_impmod
  out.U32(0);                                                  // e32_impmodcnt
  out.U32(impproc);                                            // e32_impproc
  out.U32(0);                                                  // e32_pagesum: no per-page checksums
  out.U32(datapage);                       // e32_datapage (from the file's start)
  out.U32(total_pages);                    // e32_preload: every page is preloaded
  out.U32(nrestab);                        // e32_nrestab (from the file's start)
  out.U32(nrestab_size);                   // e32_cbnrestab
  out.U32(0);                              // e32_nressum
  out.U32(0);                              // e32_autodata
  out.U32(0);                              // e32_debuginfo
  out.U32(0);                              // e32_debuglen
  out.U32(0);                              // e32_instpreload
  out.U32(0);                              // e32_instdemand
  out.U32(0);                              // e32_heapsize
  for (int i = 0; i < 12; ++i) out.U8(0);  // e32_res3
  out.U32(0);                              // e32_winresoff: no version resource
  out.U32(0);                              // e32_winreslen
  out.U16(layout.device_id);               // e32_devid
  out.U16(layout.ddk_version);             // e32_ddkver
  if (out.size() != kLeHeaderOffset + objtab) throw std::logic_error("LE header size");

  // Object table.
  std::uint32_t first_page = 1;
  for (const LeObject& object : layout.objects) {
    out.U32(object.virtual_size);     // virtual size
    out.U32(object.relocation_base);  // relocation base address
    out.U32(object.flags);            // object flags
    out.U32(first_page);              // page table index (1-based)
    out.U32(PageCount(object));       // page table entries
    out.U32(0);                       // reserved
    first_page += PageCount(object);
  }
  // Object page map: LE entries are a 24-bit big-endian page number in the
  // data pages (1-based) and a type byte, 0 for a page stored in the file.
  for (std::uint32_t page = 1; page <= total_pages; ++page) {
    out.U8(page >> 16);
    out.U8(page >> 8);
    out.U8(page);
    out.U8(0);
  }
  // Resident names: the module name as ordinal 0, then the exports.
  WriteName(out, layout.module_name, 0);
  for (std::size_t i = 0; i < layout.exports.size(); ++i) {
    WriteName(out, layout.exports[i].name, static_cast<std::uint16_t>(i + 1));
  }
  out.U8(0);
  // Entry table: one bundle of one 32-bit entry per export, so each names
  // its own object.
  for (const LeExport& entry : layout.exports) {
    out.U8(1);  // entries in the bundle
    out.U8(kEntryBundle32Bit);
    out.U16(entry.object);
    out.U8(kEntryExported | kEntrySharedData);
    out.U32(entry.offset);
  }
  out.U8(0);
  if (out.size() != kLeHeaderOffset + fpagetab) throw std::logic_error("loader section size");

  // Fixup page table (one more entry than pages: the end), then records.
  std::uint32_t record_offset = 0;
  for (const auto& page : fixup_pages) {
    out.U32(record_offset);
    record_offset += static_cast<std::uint32_t>(page.size());
  }
  out.U32(record_offset);
  for (const auto& page : fixup_pages) out.Append(page);
  out.U8(0);  // import procedure names: one empty entry
  out.U8(0);  // non-resident names: empty
  out.PadTo(datapage);

  // Data pages: every page full-size except the last one of the file.
  for (std::size_t i = 0; i < layout.objects.size(); ++i) {
    const LeObject& object = layout.objects[i];
    out.Append(object.data);
    if (i != last_stored) {
      out.PadTo(out.size() + PageCount(object) * kLePageSize -
                static_cast<std::uint32_t>(object.data.size()));
    }
  }
  return out.Take();
}

}  // namespace tunora::pe2le
