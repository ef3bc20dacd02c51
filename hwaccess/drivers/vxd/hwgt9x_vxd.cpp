// Hwgt9x.vxd: the Windows 9x virtual device around the shared dispatch.
// Its Device Descriptor Block is exported as HWGT9X_DDB (ordinal 1 of the
// LE module tools/pe2le makes of this image); its control procedure serves
// the dynamic load and unload and the Win32 DeviceIoControl requests.
//
// Layouts and numbers: the Windows 95/98 DDK's VMM.INC/VMM.H (the
// VxD_Desc_Block structure, the control messages) and VWIN32.H (the
// DIOCParams structure), as quoted publicly.
#include <cstddef>
#include <cstdint>

#include "hwaccess/drivers/dioc.h"
#include "hwaccess/drivers/vxd/vxd_kernel.h"

namespace {

// Control messages (EAX on entry to the control procedure).
constexpr std::uint32_t kSysDynamicDeviceInit = 0x001B;
constexpr std::uint32_t kSysDynamicDeviceExit = 0x001C;
constexpr std::uint32_t kW32DeviceIoControl = 0x0023;

struct DeviceDescriptorBlock {
  std::uint32_t next;                 // DDB_Next: the VMM's
  std::uint16_t sdk_version;          // DDB_SDK_Version
  std::uint16_t req_device_number;    // DDB_Req_Device_Number
  std::uint8_t dev_major_version;     // DDB_Dev_Major_Version
  std::uint8_t dev_minor_version;     // DDB_Dev_Minor_Version
  std::uint16_t flags;                // DDB_Flags: the VMM's
  char name[8];                       // DDB_Name, blank-padded
  std::uint32_t init_order;           // DDB_Init_Order
  void (*control_proc)();             // DDB_Control_Proc
  std::uint32_t v86_api_proc;         // DDB_V86_API_Proc
  std::uint32_t pm_api_proc;          // DDB_PM_API_Proc
  std::uint32_t v86_api_csip;         // DDB_V86_API_CSIP
  std::uint32_t pm_api_csip;          // DDB_PM_API_CSIP
  std::uint32_t reference_data;       // DDB_Reference_Data
  std::uint32_t service_table_ptr;    // DDB_Service_Table_Ptr
  std::uint32_t service_table_size;   // DDB_Service_Table_Size
  std::uint32_t win32_service_table;  // DDB_Win32_Service_Table
  std::uint32_t prev;                 // DDB_Prev
  std::uint32_t size;                 // DDB_Size
  std::uint32_t reserved1;            // DDB_Reserved1
  std::uint32_t reserved2;            // DDB_Reserved2
  std::uint32_t reserved3;            // DDB_Reserved3
};
static_assert(sizeof(DeviceDescriptorBlock) == 0x50);
static_assert(offsetof(DeviceDescriptorBlock, name) == 0x0C);
static_assert(offsetof(DeviceDescriptorBlock, control_proc) == 0x18);
static_assert(offsetof(DeviceDescriptorBlock, prev) == 0x3C);

// What VWIN32 hands the control procedure in ESI with W32_DEVICEIOCONTROL.
struct DiocParams {
  std::uint32_t internal1;        // Internal1: the client registers
  std::uint32_t vm_handle;        // VMHandle
  std::uint32_t internal2;        // Internal2: the DDB
  std::uint32_t io_control_code;  // dwIoControlCode
  std::uint32_t in_buffer;        // lpvInBuffer
  std::uint32_t in_size;          // cbInBuffer
  std::uint32_t out_buffer;       // lpvOutBuffer
  std::uint32_t out_size;         // cbOutBuffer
  std::uint32_t bytes_returned;   // lpcbBytesReturned
  std::uint32_t overlapped;       // lpoOverlapped
  std::uint32_t device;           // hDevice
  std::uint32_t tag_process;      // tagProcess
};
static_assert(sizeof(DiocParams) == 48);
static_assert(offsetof(DiocParams, io_control_code) == 0x0C);
static_assert(offsetof(DiocParams, bytes_returned) == 0x20);

template <typename T>
T* UserPointer(std::uint32_t address) {
  return reinterpret_cast<T*>(static_cast<std::uintptr_t>(address));
}

std::uint32_t DeviceIoControl(const DiocParams& params) {
  tunora::drivers::vxd::VxdKernel kernel;
  return tunora::drivers::ServeDiocRequest(
      kernel, {params.io_control_code, UserPointer<const std::uint8_t>(params.in_buffer),
               params.in_size, UserPointer<std::uint8_t>(params.out_buffer), params.out_size,
               UserPointer<std::uint32_t>(params.bytes_returned)});
}

}  // namespace

// Called by the assembly entry below: the message and, for device control,
// the DIOCParams. Zero is success.
extern "C" std::uint32_t Hwgt9xControl(std::uint32_t message, const DiocParams* params) {
  switch (message) {
    case kSysDynamicDeviceInit:
    case kSysDynamicDeviceExit:
      return 0;
    case kW32DeviceIoControl:
      return params != nullptr
                 ? DeviceIoControl(*params)
                 : tunora::drivers::Win32ErrorOf(tunora::drivers::STATUS_INVALID_PARAMETER);
    default:
      return 0;  // messages the device has nothing to do for
  }
}

// The control procedure: EAX = message, ESI = DIOCParams. It returns EAX
// (the Win32 error for device control) and the carry flag set on failure,
// and keeps every other register.
extern "C" void Hwgt9xControlProc();
asm(R"(
    .text
    .globl _Hwgt9xControlProc
_Hwgt9xControlProc:
    pushl %ecx
    pushl %edx
    pushl %esi
    pushl %eax
    cld
    call _Hwgt9xControl
    addl $8, %esp
    popl %edx
    popl %ecx
    cmpl $1, %eax
    cmc
    ret
)");

extern "C" {
__attribute__((dllexport, used)) DeviceDescriptorBlock HWGT9X_DDB = {
    0,
    0x0400,  // DDK_VERSION of Windows 95
    0,       // UNDEFINED_DEVICE_ID: no VMM services of its own, loaded dynamically
    static_cast<std::uint8_t>(tunora::drivers::kHwgt9xVersion >> 16),
    static_cast<std::uint8_t>(tunora::drivers::kHwgt9xVersion),
    0,
    {'H', 'W', 'G', 'T', '9', 'X', ' ', ' '},
    0x80000000u,  // UNDEFINED_INIT_ORDER
    Hwgt9xControlProc,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0,
    0x50726576u,  // 'Prev'
    sizeof(DeviceDescriptorBlock),
    0x52737631u,  // 'Rsv1'
    0x52737632u,  // 'Rsv2'
    0x52737633u,  // 'Rsv3'
};
}
