// A linear-executable (LE) module described as plain values: what the
// writer turns into bytes, and what the PE reader's conversion produces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tunora::pe2le {

// 32-bit offset fixup inside the module: the four bytes at `source_offset`
// of the object receive the linear address of `target_offset` in object
// `target_object` (1-based) once the loader has placed it.
struct LeFixup {
  std::uint32_t source_offset = 0;
  std::uint16_t target_object = 0;
  std::uint32_t target_offset = 0;
};

struct LeObject {
  // The object's initialised bytes; the rest of `virtual_size` is zero.
  std::vector<std::uint8_t> data;
  std::uint32_t virtual_size = 0;
  std::uint32_t flags = 0;
  std::uint32_t relocation_base = 0;
  std::vector<LeFixup> fixups;
};

// An exported entry point; exports take ordinals 1, 2, ... in order.
struct LeExport {
  std::string name;
  std::uint16_t object = 0;  // 1-based
  std::uint32_t offset = 0;
};

struct LeLayout {
  std::string module_name;
  std::uint32_t module_flags = 0;
  std::uint16_t target_os = 0;
  std::uint16_t device_id = 0;
  std::uint16_t ddk_version = 0;
  std::vector<LeObject> objects;
  std::vector<LeExport> exports;
};

// LE header fields (offsets from the LE signature) and the other constants
// the writer uses, named after the format documentation.
inline constexpr std::uint32_t kLePageSize = 0x1000;
inline constexpr std::uint32_t kLeHeaderOffset = 0x80;  // e_lfanew
inline constexpr std::uint32_t kLeHeaderSize = 0xC4;    // sizeof(IMAGE_VXD_HEADER)
inline constexpr std::uint32_t kObjectEntrySize = 24;
inline constexpr std::uint32_t kPageMapEntrySize = 4;

// Object flags.
inline constexpr std::uint32_t kObjectReadable = 0x0001;
inline constexpr std::uint32_t kObjectWritable = 0x0002;
inline constexpr std::uint32_t kObjectExecutable = 0x0004;
inline constexpr std::uint32_t kObjectPreload = 0x0040;
inline constexpr std::uint32_t kObjectBig = 0x2000;  // 32-bit code and stack

// Module flags: module type "virtual device driver" (bits 15 to 17).
inline constexpr std::uint32_t kModuleVirtualDeviceDriver = 0x00028000;
// e32_os: Windows 386 (the 386 enhanced mode VMM).
inline constexpr std::uint16_t kOsWindows386 = 4;
// e32_cpu: 80386 or upwardly compatible.
inline constexpr std::uint16_t kCpu386 = 2;

// Fixup record: source type "32-bit offset", target flags "internal
// reference, 32-bit target offset".
inline constexpr std::uint8_t kFixupSource32BitOffset = 0x07;
inline constexpr std::uint8_t kFixupTargetInternal = 0x00;
inline constexpr std::uint8_t kFixupTarget32BitOffset = 0x10;
inline constexpr std::uint8_t kFixupTarget16BitObject = 0x40;

// Entry table: a bundle of 32-bit entries; each entry exported, shared data.
inline constexpr std::uint8_t kEntryBundle32Bit = 0x03;
inline constexpr std::uint8_t kEntryExported = 0x01;
inline constexpr std::uint8_t kEntrySharedData = 0x02;

}  // namespace tunora::pe2le
