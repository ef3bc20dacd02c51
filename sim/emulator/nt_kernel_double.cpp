#include "sim/emulator/nt_kernel_double.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace tunora::emulator {
namespace {

using drivers::NtStatus;

// Where the double keeps its own objects, and the pool it hands out.
constexpr std::uint32_t kDriverObject = 0x81000000;
constexpr std::uint32_t kRegistryPath = 0x81000100;  // UNICODE_STRING, text after it
constexpr std::uint32_t kIrp = 0x81001000;           // IRP, stack location, security context
constexpr std::uint32_t kThunks = 0x81010000;        // one 8-byte thunk per service
constexpr std::uint32_t kThunkSize = 8;
constexpr std::uint32_t kSystemBuffer = 0x81020000;
constexpr std::uint32_t kSystemBufferLimit = 0x10000;
constexpr std::uint32_t kPool = 0x81100000;
constexpr std::uint32_t kPoolSize = 0x100000;
constexpr std::uint32_t kDoubleSize = kPool + kPoolSize - kDriverObject;
static_assert(kNtImageBase + kNtImageRoom <= kDriverObject);
constexpr std::uint32_t kFileObjects = 0x8E000000;  // never dereferenced by the drivers
constexpr std::uint32_t kTokens = 0x8D000000;       // likewise
constexpr std::uint8_t kServiceVector = 0xF0;

// Layouts of the 32-bit kernel structures the drivers touch (ntddk.h).
constexpr std::uint32_t kDriverObjectSize = 0xA8;
constexpr std::uint32_t kDriverDeviceObject = 0x04;
constexpr std::uint32_t kDriverStart = 0x0C;
constexpr std::uint32_t kDriverSize = 0x10;
constexpr std::uint32_t kDriverName = 0x1C;
constexpr std::uint32_t kDriverInit = 0x2C;
constexpr std::uint32_t kDriverUnload = 0x34;
constexpr std::uint32_t kDriverMajorFunction = 0x38;
constexpr std::uint32_t kDeviceObjectSize = 0xB8;
constexpr std::uint32_t kDeviceDriverObject = 0x08;
constexpr std::uint32_t kDeviceNextDevice = 0x0C;
constexpr std::uint32_t kDeviceFlags = 0x1C;
constexpr std::uint32_t kDeviceExtension = 0x28;
constexpr std::uint32_t kDeviceType = 0x2C;
constexpr std::uint32_t kDeviceStackSize = 0x30;
constexpr std::uint32_t kIrpSize = 0x70;
constexpr std::uint32_t kIrpSystemBuffer = 0x0C;
constexpr std::uint32_t kIrpStatus = 0x18;
constexpr std::uint32_t kIrpInformation = 0x1C;
constexpr std::uint32_t kIrpRequestorMode = 0x20;
constexpr std::uint32_t kIrpStackCount = 0x22;
constexpr std::uint32_t kIrpCurrentLocation = 0x23;
constexpr std::uint32_t kIrpCurrentStackLocation = 0x60;
constexpr std::uint32_t kStackLocationSize = 0x24;
constexpr std::uint32_t kStackParameters =
    0x04;  // Create.SecurityContext, DeviceIoControl.OutputBufferLength
constexpr std::uint32_t kStackDevice = 0x14;
constexpr std::uint32_t kStackFile = 0x18;
constexpr std::uint32_t kSecurityContextAccessState = 0x04;
constexpr std::uint32_t kSecurityContextDesiredAccess = 0x08;
constexpr std::uint32_t kAccessStateSubjectContext = 0x1C;
constexpr std::uint32_t kSubjectClientToken = 0x00;
constexpr std::uint32_t kSubjectPrimaryToken = 0x08;
constexpr std::uint32_t kDescriptorControl = 0x02;
constexpr std::uint32_t kDescriptorOwner = 0x04;
constexpr std::uint32_t kDescriptorGroup = 0x08;
constexpr std::uint32_t kDescriptorDacl = 0x10;
constexpr std::uint32_t kDescriptorSize = 0x14;
constexpr std::uint32_t kObjectAttributesName = 0x08;
constexpr std::uint32_t kObjectAttributesAttributes = 0x0C;

constexpr int kMajorCreate = 0;
constexpr int kMajorClose = 2;
constexpr int kMajorDeviceControl = 14;
constexpr std::uint8_t kKernelMode = 0;
constexpr std::uint8_t kUserMode = 1;
constexpr std::uint32_t kDoDeviceInitializing = 0x80;
constexpr std::uint16_t kSeDaclPresent = 0x0004;
constexpr std::uint16_t kSeSelfRelative = 0x8000;
constexpr std::uint32_t kObjCaseInsensitive = 0x40;
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kGenericExecute = 0x20000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kMaximumAllowed = 0x02000000u;
constexpr std::uint32_t kNtCurrentProcess = 0xFFFFFFFFu;
constexpr std::uint64_t kAllocationGranularity = 0x10000;
constexpr std::uint8_t kAccessAllowedAce = 0;
constexpr std::uint8_t kAccessDeniedAce = 1;
constexpr std::uint32_t kPciConfiguration = 4;  // BUS_DATA_TYPE

constexpr NtStatus kStatusPending = 0x00000103;
constexpr NtStatus kStatusInvalidHandle = static_cast<NtStatus>(0xC0000008);
constexpr NtStatus kStatusNoMemory = static_cast<NtStatus>(0xC0000017);
constexpr NtStatus kStatusInvalidViewSize = static_cast<NtStatus>(0xC000001F);
constexpr NtStatus kStatusObjectNameNotFound = static_cast<NtStatus>(0xC0000034);
constexpr NtStatus kStatusObjectNameCollision = static_cast<NtStatus>(0xC0000035);
constexpr NtStatus kStatusAllottedSpaceExceeded = static_cast<NtStatus>(0xC0000099);
constexpr NtStatus kStatusInsufficientResources = static_cast<NtStatus>(0xC000009A);
constexpr NtStatus kStatusUnknownRevision = static_cast<NtStatus>(0xC0000058);

// The groups in each caller's token, as SIDs.
using SidBytes = std::vector<std::uint8_t>;
SidBytes MakeSid(std::uint8_t authority, std::initializer_list<std::uint32_t> sub_authorities) {
  SidBytes sid = {1, static_cast<std::uint8_t>(sub_authorities.size()), 0, 0, 0, 0, 0, authority};
  for (std::uint32_t value : sub_authorities) {
    for (int i = 0; i < 4; ++i) sid.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  return sid;
}
std::vector<SidBytes> TokenSids(NtCaller caller) {
  const SidBytes everyone = MakeSid(1, {0});
  const SidBytes authenticated = MakeSid(5, {11});
  const SidBytes users = MakeSid(5, {32, 545});
  const SidBytes administrators = MakeSid(5, {32, 544});
  switch (caller) {
    case NtCaller::kAdministrator:
      return {MakeSid(5, {21, 1, 2, 3, 500}), everyone, authenticated, users, administrators};
    case NtCaller::kLocalSystem:
      return {MakeSid(5, {18}), everyone, authenticated, administrators};
    default:
      return {MakeSid(5, {21, 1, 2, 3, 1001}), everyone, authenticated, users};
  }
}
constexpr NtCaller kTokenCallers[] = {NtCaller::kAdministrator, NtCaller::kLocalSystem,
                                      NtCaller::kPlainUser};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

enum class Convention { kStdcall, kFastcall };

struct EmulatedNtDriver::Service {
  const char* module;
  const char* name;
  Convention convention;
  int stack_arguments;  // dwords the callee removes
  std::function<std::uint32_t()> run;
};

EmulatedNtDriver::EmulatedNtDriver(std::span<const std::uint8_t> image,
                                   std::string_view service_name, drivers::KernelServices& kernel)
    : kernel_(&kernel) {
  emulator_.Map(kDriverObject, kDoubleSize);
  emulator_.OnInterrupt(kServiceVector, [this] { RunService(); });
  BuildServices();
  pool_next_ = kPool;
  image_ = LoadPe(
      emulator_, image, kNtImageBase, kNtImageRoom,
      [this](const std::string& module, const std::string& name) { return Bind(module, name); });
  const std::uint16_t driver_type = 4;
  emulator_.Write16(kDriverObject, driver_type);
  emulator_.Write16(kDriverObject + 2, kDriverObjectSize);
  emulator_.Write32(kDriverObject + kDriverStart, image_.base);
  emulator_.Write32(kDriverObject + kDriverSize, image_.size);
  emulator_.Write32(kDriverObject + kDriverInit, image_.entry);
  // DriverName and RegistryPath: counted UTF-16 strings.
  auto write_string = [this](std::uint32_t at, std::uint32_t text_at, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      emulator_.Write16(text_at + 2 * static_cast<std::uint32_t>(i),
                        static_cast<std::uint8_t>(text[i]));
    }
    emulator_.Write16(text_at + 2 * static_cast<std::uint32_t>(text.size()), 0);
    emulator_.Write16(at, static_cast<std::uint16_t>(2 * text.size()));
    emulator_.Write16(at + 2, static_cast<std::uint16_t>(2 * text.size() + 2));
    emulator_.Write32(at + 4, text_at);
  };
  const std::string name(service_name);
  write_string(kDriverObject + kDriverName, kRegistryPath + 0x200, "\\Driver\\" + name);
  write_string(kRegistryPath, kRegistryPath + 0x10,
               "\\Registry\\Machine\\System\\CurrentControlSet\\Services\\" + name);
  const std::uint32_t args[] = {kDriverObject, kRegistryPath};
  entry_status_ = static_cast<NtStatus>(emulator_.Call(image_.entry, args, true));
  // A driver that failed to start is not unloaded: it is simply gone.
  if (!drivers::NtSuccess(entry_status_)) unloaded_ = true;
}

EmulatedNtDriver::~EmulatedNtDriver() {
  try {
    Unload();
  } catch (const std::exception&) {
    // A fault on the way out has nobody left to tell; tests call Unload.
  }
}

std::uint32_t EmulatedNtDriver::Bind(const std::string& module, const std::string& name) {
  for (std::size_t i = 0; i < services_.size(); ++i) {
    if (Lower(services_[i].module) == Lower(module) && services_[i].name == name) {
      return kThunks + kThunkSize * static_cast<std::uint32_t>(i);
    }
  }
  throw EmulationFault("the kernel double has no " + module + "!" + name);
}

// Each thunk is `int 0F0h` followed by the service's own return.
void EmulatedNtDriver::RunService() {
  const std::uint32_t offset = emulator_.Get(X86Emulator::Reg::kEip) - 2 - kThunks;
  const std::size_t index = offset / kThunkSize;
  if (offset % kThunkSize != 0 || index >= services_.size()) {
    emulator_.Fail("interrupt 0F0h outside the kernel double's thunks");
  }
  current_ = &services_[index];
  emulator_.Set(X86Emulator::Reg::kEax, current_->run());
}

std::uint32_t EmulatedNtDriver::Arg(int index) {
  if (current_->convention == Convention::kFastcall) {
    if (index == 0) return emulator_.Get(X86Emulator::Reg::kEcx);
    if (index == 1) return emulator_.Get(X86Emulator::Reg::kEdx);
    index -= 2;
  }
  return emulator_.Read32(emulator_.Get(X86Emulator::Reg::kEsp) + 4 +
                          4 * static_cast<std::uint32_t>(index));
}

std::uint32_t EmulatedNtDriver::Allocate(std::uint64_t size) {
  // In 64 bits: a request near 4 GB must fail as the real pool's does,
  // not round to nothing.
  const std::uint64_t rounded = (size + 15) & ~std::uint64_t{15};
  if (size == 0 || rounded > kPool + kPoolSize - pool_next_) return 0;
  const std::uint32_t address = pool_next_;
  pool_next_ += static_cast<std::uint32_t>(rounded);
  std::vector<std::uint8_t> zero(rounded, 0);
  emulator_.Write(address, zero);
  return address;
}

std::string EmulatedNtDriver::UnicodeString(std::uint32_t address) {
  const std::uint16_t length = emulator_.Read16(address);
  const std::uint32_t buffer = emulator_.Read32(address + 4);
  std::string text;
  for (std::uint32_t i = 0; i + 1 < length; i += 2) {
    const std::uint16_t c = emulator_.Read16(buffer + i);
    text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  }
  return text;
}

std::uint32_t EmulatedNtDriver::SidLength(std::uint32_t sid) {
  return 8 + 4 * std::uint32_t{emulator_.Read8(sid + 1)};
}

std::vector<std::uint8_t> EmulatedNtDriver::Sid(std::uint32_t sid) {
  return emulator_.Read(sid, SidLength(sid));
}

std::uint32_t EmulatedNtDriver::FirstDevice() {
  return emulator_.Read32(kDriverObject + kDriverDeviceObject);
}

void EmulatedNtDriver::BuildServices() {
  const auto S = Convention::kStdcall;
  const auto status = [](NtStatus value) { return static_cast<std::uint32_t>(value); };
  services_ = {
      // Pool.
      {"ntoskrnl.exe", "ExAllocatePoolWithTag", S, 3,
       [this] {
         const std::uint32_t address = Allocate(Arg(1));
         if (address != 0) pool_blocks_[address] = Arg(1);
         return address;
       }},
      {"ntoskrnl.exe", "ExFreePool", S, 1,
       [this] {
         if (pool_blocks_.erase(Arg(0)) == 0) {
           emulator_.Fail("ExFreePool of a block the pool never gave out");
         }
         return 0u;
       }},
      // Devices and links.
      {"ntoskrnl.exe", "IoCreateDevice", S, 7,
       [this, status] {
         if (Arg(0) != kDriverObject) emulator_.Fail("IoCreateDevice for another driver object");
         const std::string name = Arg(2) != 0 ? UnicodeString(Arg(2)) : std::string();
         for (const auto& [address, device] : devices_) {
           if (Lower(device.name) == Lower(name)) return status(kStatusObjectNameCollision);
         }
         const std::uint32_t device = Allocate(std::uint64_t{kDeviceObjectSize} + Arg(1));
         if (device == 0) return status(kStatusInsufficientResources);
         emulator_.Write16(device, 3);
         emulator_.Write16(device + 2, static_cast<std::uint16_t>(kDeviceObjectSize));
         emulator_.Write32(device + kDeviceDriverObject, kDriverObject);
         emulator_.Write32(device + kDeviceNextDevice, FirstDevice());
         emulator_.Write32(device + kDeviceFlags, kDoDeviceInitializing);
         emulator_.Write32(device + kDeviceExtension, Arg(1) != 0 ? device + kDeviceObjectSize : 0);
         emulator_.Write32(device + kDeviceType, Arg(3));
         emulator_.Write8(device + kDeviceStackSize, 1);
         emulator_.Write32(kDriverObject + kDriverDeviceObject, device);
         devices_[device] = {name, Arg(1)};
         emulator_.Write32(Arg(6), device);
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "IoDeleteDevice", S, 1,
       [this] {
         const std::uint32_t device = Arg(0);
         if (devices_.erase(device) == 0) emulator_.Fail("IoDeleteDevice of no device");
         // Unlinked from the driver's list, as the I/O manager does.
         std::uint32_t link = kDriverObject + kDriverDeviceObject;
         while (emulator_.Read32(link) != device) link = emulator_.Read32(link) + kDeviceNextDevice;
         emulator_.Write32(link, emulator_.Read32(device + kDeviceNextDevice));
         return 0u;
       }},
      {"ntoskrnl.exe", "IoCreateSymbolicLink", S, 2,
       [this, status] {
         const std::string link = UnicodeString(Arg(0));
         if (links_.count(Lower(link))) return status(kStatusObjectNameCollision);
         links_[Lower(link)] = UnicodeString(Arg(1));
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "IoDeleteSymbolicLink", S, 1,
       [this, status] {
         return status(links_.erase(Lower(UnicodeString(Arg(0)))) ? drivers::STATUS_SUCCESS
                                                                  : kStatusObjectNameNotFound);
       }},
      {"ntoskrnl.exe", "IofCompleteRequest", Convention::kFastcall, 0,
       [this] {
         if (Arg(0) != current_irp_) emulator_.Fail("IofCompleteRequest of a request never sent");
         ++completions_;
         return 0u;
       }},
      // Strings and security descriptors.
      {"ntoskrnl.exe", "RtlInitUnicodeString", S, 2,
       [this] {
         std::uint32_t length = 0;
         if (Arg(1) != 0) {
           while (emulator_.Read16(Arg(1) + length) != 0) length += 2;
         }
         emulator_.Write16(Arg(0), static_cast<std::uint16_t>(length));
         emulator_.Write16(Arg(0) + 2, static_cast<std::uint16_t>(Arg(1) != 0 ? length + 2 : 0));
         emulator_.Write32(Arg(0) + 4, Arg(1));
         return 0u;
       }},
      {"ntoskrnl.exe", "RtlCreateSecurityDescriptor", S, 2,
       [this, status] {
         if (Arg(1) != 1) return status(kStatusUnknownRevision);
         const std::vector<std::uint8_t> zero(kDescriptorSize, 0);
         emulator_.Write(Arg(0), zero);
         emulator_.Write8(Arg(0), 1);
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlCreateAcl", S, 3,
       [this, status] {
         if (Arg(2) != 2) return status(kStatusUnknownRevision);
         if (Arg(1) < 8 || Arg(1) > 0xFFFF) return status(drivers::STATUS_BUFFER_TOO_SMALL);
         emulator_.Write32(Arg(0), 2 | Arg(1) << 16);  // revision, size
         emulator_.Write32(Arg(0) + 4, 0);             // no entries yet
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlLengthSid", S, 1, [this] { return SidLength(Arg(0)); }},
      {"ntoskrnl.exe", "RtlAddAccessAllowedAce", S, 4,
       [this, status] {
         const std::uint32_t acl = Arg(0);
         if (Arg(1) != 2) return status(kStatusUnknownRevision);
         const std::uint16_t size = emulator_.Read16(acl + 2);
         const std::uint16_t count = emulator_.Read16(acl + 4);
         std::uint32_t end = acl + 8;
         for (std::uint16_t i = 0; i < count; ++i) end += emulator_.Read16(end + 2);
         const std::vector<std::uint8_t> sid = Sid(Arg(3));
         const auto ace_size = static_cast<std::uint32_t>(8 + sid.size());
         if (end + ace_size > acl + size) return status(kStatusAllottedSpaceExceeded);
         emulator_.Write32(end, kAccessAllowedAce | ace_size << 16);
         emulator_.Write32(end + 4, Arg(2));
         emulator_.Write(end + 8, sid);
         emulator_.Write16(acl + 4, static_cast<std::uint16_t>(count + 1));
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlSetDaclSecurityDescriptor", S, 4,
       [this, status] {
         const std::uint16_t control = emulator_.Read16(Arg(0) + kDescriptorControl);
         emulator_.Write16(Arg(0) + kDescriptorControl,
                           static_cast<std::uint16_t>(Arg(1) & 0xFF ? control | kSeDaclPresent
                                                                    : control & ~kSeDaclPresent));
         emulator_.Write32(Arg(0) + kDescriptorDacl, Arg(1) & 0xFF ? Arg(2) : 0);
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlSetOwnerSecurityDescriptor", S, 3,
       [this, status] {
         emulator_.Write32(Arg(0) + kDescriptorOwner, Arg(1));
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlSetGroupSecurityDescriptor", S, 3,
       [this, status] {
         emulator_.Write32(Arg(0) + kDescriptorGroup, Arg(1));
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "RtlMapGenericMask", S, 2,
       [this] {
         std::uint32_t mask = emulator_.Read32(Arg(0));
         const std::uint32_t mapping = Arg(1);
         const std::uint32_t generic[] = {kGenericRead, kGenericWrite, kGenericExecute,
                                          kGenericAll};
         for (std::uint32_t i = 0; i < 4; ++i) {
           if (mask & generic[i]) mask = (mask & ~generic[i]) | emulator_.Read32(mapping + 4 * i);
         }
         emulator_.Write32(Arg(0), mask);
         return 0u;
       }},
      {"ntoskrnl.exe", "SeAccessCheck", S, 10, [this] { return SeAccessCheck() ? 1u : 0u; }},
      // \Device\PhysicalMemory.
      {"ntoskrnl.exe", "ZwOpenSection", S, 3,
       [this, status] {
         const std::uint32_t attributes = Arg(2);
         const std::string name =
             UnicodeString(emulator_.Read32(attributes + kObjectAttributesName));
         const bool any_case =
             emulator_.Read32(attributes + kObjectAttributesAttributes) & kObjCaseInsensitive;
         const std::string wanted = "\\Device\\PhysicalMemory";
         if (any_case ? Lower(name) != Lower(wanted) : name != wanted) {
           return status(kStatusObjectNameNotFound);
         }
         handles_[next_handle_] = wanted;
         emulator_.Write32(Arg(0), next_handle_);
         next_handle_ += 4;
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "ZwMapViewOfSection", S, 10,
       [this, status] {
         if (!handles_.count(Arg(0))) return status(kStatusInvalidHandle);
         if (Arg(1) != kNtCurrentProcess) emulator_.Fail("a view mapped into another process");
         if (emulator_.Read32(Arg(2)) != 0) emulator_.Fail("a view asked for at a fixed address");
         last_view_ = {Arg(7), Arg(9)};
         std::uint64_t offset =
             emulator_.Read32(Arg(5)) | std::uint64_t{emulator_.Read32(Arg(5) + 4)} << 32;
         std::uint32_t size = emulator_.Read32(Arg(6));
         // The system rounds the offset down to its granularity and
         // widens the view by what that adds.
         const std::uint64_t rounded = offset & ~(kAllocationGranularity - 1);
         if (size == 0) return status(kStatusInvalidViewSize);
         size += static_cast<std::uint32_t>(offset - rounded);
         offset = rounded;
         const auto base = kernel_->MapPhysicalMemoryView(offset, size);
         if (!base) return status(kStatusNoMemory);
         emulator_.Write32(Arg(2), *base);
         emulator_.Write32(Arg(5), static_cast<std::uint32_t>(offset));
         emulator_.Write32(Arg(5) + 4, static_cast<std::uint32_t>(offset >> 32));
         emulator_.Write32(Arg(6), (size + 0xFFF) & ~0xFFFu);
         return status(drivers::STATUS_SUCCESS);
       }},
      {"ntoskrnl.exe", "ZwClose", S, 1,
       [this, status] {
         return status(handles_.erase(Arg(0)) ? drivers::STATUS_SUCCESS : kStatusInvalidHandle);
       }},
      // The HAL.
      // PCI configuration space, one slot's bytes at a time: device in bits
      // 0-4 of the slot number, function in bits 5-7. An empty slot gives
      // the vendor 0xFFFF and the length 2; other bus data types, nothing.
      {"HAL.dll", "HalGetBusDataByOffset", S, 6,
       [this] {
         if (Arg(0) != kPciConfiguration) return 0u;
         const auto bus = static_cast<std::uint8_t>(Arg(1));
         const auto device = static_cast<std::uint8_t>(Arg(2) & 0x1F);
         const bool present =
             (Arg(2) & 0xE0) == 0 && (kernel_->ReadConfig32(bus, device, 0) & 0xFFFF) != 0xFFFF;
         if (!present) {
           emulator_.Write16(Arg(3), 0xFFFF);
           return 2u;
         }
         const std::uint32_t length = std::min<std::uint32_t>(Arg(5), 256 - std::min(Arg(4), 256u));
         for (std::uint32_t i = 0; i < length; ++i) {
           const std::uint32_t offset = Arg(4) + i;
           const std::uint32_t dword =
               kernel_->ReadConfig32(bus, device, static_cast<std::uint8_t>(offset & 0xFC));
           emulator_.Write8(Arg(3) + i, static_cast<std::uint8_t>(dword >> (8 * (offset & 3))));
         }
         return length;
       }},
      {"HAL.dll", "HalSetBusDataByOffset", S, 6,
       [this] {
         if (Arg(0) != kPciConfiguration) return 0u;
         const std::uint32_t offset = Arg(4);
         const std::uint32_t length = Arg(5);
         if ((Arg(2) & 0xE0) != 0 || offset % 4 != 0 || offset > 0xFC ||
             (length != 1 && length != 2 && length != 4)) {
           emulator_.Fail("a configuration write of " + std::to_string(length) + " bytes at " +
                          std::to_string(offset) + " in slot " + std::to_string(Arg(2)) +
                          ", which the double does not model");
         }
         std::uint32_t value = 0;
         for (std::uint32_t i = 0; i < length; ++i) {
           value |= std::uint32_t{emulator_.Read8(Arg(3) + i)} << (8 * i);
         }
         kernel_->WriteConfig(
             static_cast<std::uint8_t>(Arg(1)), static_cast<std::uint8_t>(Arg(2) & 0x1F),
             static_cast<std::uint8_t>(offset), static_cast<std::uint8_t>(length), value);
         return length;
       }},
      // BusAddress is a PHYSICAL_ADDRESS passed by value: two dwords.
      {"HAL.dll", "HalTranslateBusAddress", S, 6,
       [this] {
         std::uint32_t space = emulator_.Read32(Arg(4));
         std::uint64_t translated = 0;
         const std::uint64_t bus = Arg(2) | std::uint64_t{Arg(3)} << 32;
         if (!kernel_->HalTranslateBusAddress(Arg(0), Arg(1), bus, space, translated)) return 0u;
         emulator_.Write32(Arg(4), space);
         emulator_.Write32(Arg(5), static_cast<std::uint32_t>(translated));
         emulator_.Write32(Arg(5) + 4, static_cast<std::uint32_t>(translated >> 32));
         return 1u;
       }},
  };
  // int 0F0h; then ret N (or ret).
  for (std::size_t i = 0; i < services_.size(); ++i) {
    const auto bytes = static_cast<std::uint16_t>(4 * services_[i].stack_arguments);
    std::vector<std::uint8_t> thunk = {0xCD, kServiceVector};
    if (bytes == 0) {
      thunk.push_back(0xC3);
    } else {
      thunk.insert(thunk.end(),
                   {0xC2, static_cast<std::uint8_t>(bytes), static_cast<std::uint8_t>(bytes >> 8)});
    }
    emulator_.Write(kThunks + kThunkSize * static_cast<std::uint32_t>(i), thunk);
  }
}

// The access list decides, entry by entry in order: a denying entry for
// one of the token's groups refuses any still wanted right it names, an
// allowing one grants what it names. No list at all grants everything.
bool EmulatedNtDriver::SeAccessCheck() {
  auto& e = emulator_;
  const std::uint32_t descriptor = Arg(0);
  const std::uint32_t subject = Arg(1);
  std::uint32_t desired = Arg(3);
  const std::uint32_t previously = Arg(4);
  const std::uint32_t mode = Arg(7);
  auto answer = [&](bool allowed, std::uint32_t granted) {
    e.Write32(Arg(8), allowed ? granted : 0);
    e.Write32(Arg(9), static_cast<std::uint32_t>(allowed ? drivers::STATUS_SUCCESS
                                                         : drivers::STATUS_ACCESS_DENIED));
    return allowed;
  };
  if ((mode & 0xFF) == kKernelMode) return answer(true, desired | previously);
  std::uint32_t token = e.Read32(subject + kSubjectClientToken);
  if (token == 0) token = e.Read32(subject + kSubjectPrimaryToken);
  const std::uint32_t index = token - kTokens;
  if (token < kTokens || index >= std::size(kTokenCallers)) {
    e.Fail("SeAccessCheck of a subject context the I/O manager never made");
  }
  const std::vector<SidBytes> groups = TokenSids(kTokenCallers[index]);
  const std::uint16_t control = e.Read16(descriptor + kDescriptorControl);
  if (control & kSeSelfRelative) e.Fail("a self-relative descriptor, which no driver here builds");
  const std::uint32_t acl = e.Read32(descriptor + kDescriptorDacl);
  const bool everything = !(control & kSeDaclPresent) || acl == 0;
  std::uint32_t wanted = desired & ~previously;
  std::uint32_t granted = previously;
  const bool maximum = desired & kMaximumAllowed;
  if (maximum) wanted = (desired & ~kMaximumAllowed) & ~previously;
  if (everything) return answer(true, desired | previously);
  const std::uint16_t count = e.Read16(acl + 4);
  std::uint32_t ace = acl + 8;
  std::uint32_t denied = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    const std::uint8_t type = e.Read8(ace);
    const std::uint32_t mask = e.Read32(ace + 4);
    const bool ours = std::find(groups.begin(), groups.end(), Sid(ace + 8)) != groups.end();
    if (ours && type == kAccessDeniedAce) {
      denied |= mask & ~granted;
    } else if (ours && type == kAccessAllowedAce) {
      granted |= mask & ~denied;
    }
    ace += e.Read16(ace + 2);
  }
  if (maximum) return answer(granted != 0 && (wanted & ~granted) == 0, granted);
  return answer((wanted & ~granted) == 0, desired | previously);
}

NtStatus EmulatedNtDriver::Dispatch(int major, std::uint32_t irp, std::uint32_t device) {
  const std::uint32_t routine = emulator_.Read32(kDriverObject + kDriverMajorFunction +
                                                 4 * static_cast<std::uint32_t>(major));
  if (routine == 0) return drivers::STATUS_INVALID_DEVICE_REQUEST;
  current_irp_ = irp;
  completions_ = 0;
  const std::uint32_t args[] = {device, irp};
  const auto returned = static_cast<NtStatus>(emulator_.Call(routine, args, true));
  current_irp_ = 0;
  if (returned == kStatusPending) emulator_.Fail("a request left pending");
  if (completions_ != 1) {
    emulator_.Fail("a request completed " + std::to_string(completions_) + " times");
  }
  const auto completed = static_cast<NtStatus>(emulator_.Read32(irp + kIrpStatus));
  if (completed != returned) emulator_.Fail("a dispatch routine returned another status");
  return returned;
}

NtStatus EmulatedNtDriver::SendCreateOrClose(int major, std::uint32_t file, NtCaller caller) {
  auto& e = emulator_;
  const std::uint32_t device = FirstDevice();
  if (device == 0) return kStatusObjectNameNotFound;
  const std::uint32_t stack = kIrp + kIrpSize;
  const std::uint32_t security = stack + kStackLocationSize;
  const std::uint32_t access_state = security + 0x10;
  const std::vector<std::uint8_t> zero(0x200, 0);
  e.Write(kIrp, zero);
  e.Write16(kIrp, 6);
  e.Write8(kIrp + kIrpStackCount, 1);
  e.Write8(kIrp + kIrpCurrentLocation, 1);
  e.Write32(kIrp + kIrpCurrentStackLocation, stack);
  e.Write8(kIrp + kIrpRequestorMode, caller == NtCaller::kKernel ? kKernelMode : kUserMode);
  e.Write8(stack, static_cast<std::uint8_t>(major));
  e.Write32(stack + kStackDevice, device);
  e.Write32(stack + kStackFile, file);
  if (major == kMajorCreate && caller != NtCaller::kNoSecurityContext) {
    e.Write32(stack + kStackParameters, security);
    e.Write32(security + kSecurityContextAccessState, access_state);
    // What the programs ask for: GENERIC_READ | GENERIC_WRITE.
    e.Write32(security + kSecurityContextDesiredAccess, kGenericRead | kGenericWrite);
    const std::uint32_t token =
        caller == NtCaller::kKernel ? 0 : kTokens + static_cast<std::uint32_t>(caller);
    e.Write32(access_state + kAccessStateSubjectContext + kSubjectPrimaryToken, token);
  }
  return Dispatch(major, kIrp, device);
}

EmulatedNtDriver::Opened EmulatedNtDriver::Create(NtCaller caller) {
  const std::uint32_t file = kFileObjects + 0x100 * ++next_file_;
  const NtStatus status = SendCreateOrClose(kMajorCreate, file, caller);
  if (!drivers::NtSuccess(status)) return {status, 0};
  open_files_.insert(file);
  return {status, file};
}

NtStatus EmulatedNtDriver::Close(std::uint32_t file) {
  if (open_files_.erase(file) == 0) emulator_.Fail("a close of a file that is not open");
  return SendCreateOrClose(kMajorClose, file, NtCaller::kKernel);
}

drivers::DispatchResult EmulatedNtDriver::DeviceControl(std::uint32_t file, std::uint32_t code,
                                                        std::span<std::uint8_t> system_buffer,
                                                        std::uint32_t input_length,
                                                        std::uint32_t output_length) {
  auto& e = emulator_;
  if (!open_files_.count(file)) e.Fail("a request on a file that is not open");
  if (system_buffer.size() > kSystemBufferLimit) return {kStatusInsufficientResources, 0};
  const std::uint32_t device = FirstDevice();
  const std::uint32_t stack = kIrp + kIrpSize;
  const std::vector<std::uint8_t> zero(kIrpSize + kStackLocationSize, 0);
  e.Write(kIrp, zero);
  e.Write16(kIrp, 6);
  e.Write8(kIrp + kIrpStackCount, 1);
  e.Write8(kIrp + kIrpCurrentLocation, 1);
  e.Write32(kIrp + kIrpCurrentStackLocation, stack);
  e.Write8(kIrp + kIrpRequestorMode, kUserMode);
  // The system buffer holds the caller's bytes for the buffered and the
  // two direct methods; a code of the fourth method (neither) has none.
  constexpr std::uint32_t kMethodNeither = 3;
  const bool buffer = !system_buffer.empty() && (code & 3) != kMethodNeither;
  e.Write32(kIrp + kIrpSystemBuffer, buffer ? kSystemBuffer : 0);
  e.Write(kSystemBuffer, system_buffer);
  e.Write8(stack, kMajorDeviceControl);
  e.Write32(stack + kStackParameters, output_length);
  e.Write32(stack + kStackParameters + 4, input_length);
  e.Write32(stack + kStackParameters + 8, code);
  e.Write32(stack + kStackDevice, device);
  e.Write32(stack + kStackFile, file);
  const NtStatus status = Dispatch(kMajorDeviceControl, kIrp, device);
  e.Read(kSystemBuffer, system_buffer);
  return {status, e.Read32(kIrp + kIrpInformation)};
}

void EmulatedNtDriver::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  const std::uint32_t routine = emulator_.Read32(kDriverObject + kDriverUnload);
  if (routine == 0) return;  // a driver without an unload routine stays
  const std::uint32_t args[] = {kDriverObject};
  emulator_.Call(routine, args, true);
}

std::vector<std::string> EmulatedNtDriver::DeviceNames() const {
  std::vector<std::string> names;
  for (const auto& [address, device] : devices_) names.push_back(device.name);
  return names;
}

std::vector<std::string> EmulatedNtDriver::LinkNames() const {
  std::vector<std::string> names;
  for (const auto& [link, device] : links_) names.push_back(link);
  return names;
}

}  // namespace tunora::emulator
