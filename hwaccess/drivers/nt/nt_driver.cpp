#include "hwaccess/drivers/nt/nt_driver.h"

#include "hwaccess/drivers/nt/nt_ddk.h"

namespace tunora::drivers::nt {
namespace {

constexpr ULONG kPoolTag = 0x74614748;  // "HGat"

struct DeviceState {
  UNICODE_STRING link;
  DeviceControlRoutine device_control;
};

// Who may open the device: the system and administrators, full access.
// IoCreateDeviceSecure is not available to this build, so the create
// request is checked against this descriptor instead.
PSECURITY_DESCRIPTOR g_open_security = nullptr;

// The two well-known SIDs, S-1-5-18 and S-1-5-32-544, spelled out rather
// than taken from SeExports, which not every kernel fills in.
alignas(4) UCHAR g_system_sid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
alignas(4) UCHAR g_administrators_sid[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0};

NTSTATUS BuildOpenSecurity() {
  PSID system = g_system_sid;
  PSID administrators = g_administrators_sid;
  const ULONG ace_size = sizeof(ACCESS_ALLOWED_ACE) - sizeof(ULONG);
  const ULONG acl_size =
      sizeof(ACL) + 2 * ace_size + RtlLengthSid(system) + RtlLengthSid(administrators);
  auto* memory = static_cast<UCHAR*>(
      ExAllocatePoolWithTag(PagedPool, sizeof(SECURITY_DESCRIPTOR) + acl_size, kPoolTag));
  if (memory == nullptr) return STATUS_INSUFFICIENT_RESOURCES;
  auto* descriptor = reinterpret_cast<PSECURITY_DESCRIPTOR>(memory);
  auto* acl = reinterpret_cast<PACL>(memory + sizeof(SECURITY_DESCRIPTOR));
  NTSTATUS status = RtlCreateSecurityDescriptor(descriptor, SECURITY_DESCRIPTOR_REVISION);
  if (NT_SUCCESS(status)) status = RtlCreateAcl(acl, acl_size, ACL_REVISION);
  if (NT_SUCCESS(status)) {
    status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, system);
  }
  if (NT_SUCCESS(status)) {
    status = RtlAddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, administrators);
  }
  if (NT_SUCCESS(status)) status = RtlSetDaclSecurityDescriptor(descriptor, TRUE, acl, FALSE);
  if (NT_SUCCESS(status)) status = RtlSetOwnerSecurityDescriptor(descriptor, administrators, FALSE);
  if (NT_SUCCESS(status)) status = RtlSetGroupSecurityDescriptor(descriptor, system, FALSE);
  if (!NT_SUCCESS(status)) {
    ExFreePool(memory);
    return status;
  }
  g_open_security = descriptor;
  return STATUS_SUCCESS;
}

// What IoGetFileObjectGenericMapping returns, which not every kernel has.
GENERIC_MAPPING g_file_mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                  FILE_ALL_ACCESS};

bool CallerMayOpen(PIRP irp, PIO_STACK_LOCATION stack) {
  if (irp->RequestorMode == KernelMode) return true;
  PIO_SECURITY_CONTEXT context = stack->Parameters.Create.SecurityContext;
  // A create without a security context (or its access state) names no
  // caller to check: refused rather than dereferenced.
  if (context == nullptr || context->AccessState == nullptr) return false;
  PSECURITY_SUBJECT_CONTEXT subject = &context->AccessState->SubjectSecurityContext;
  ACCESS_MASK desired = context->DesiredAccess;
  RtlMapGenericMask(&desired, &g_file_mapping);
  ACCESS_MASK granted = 0;
  NTSTATUS access_status = STATUS_ACCESS_DENIED;
  // Not locked here: SeAccessCheck locks the subject context itself.
  const BOOLEAN allowed = SeAccessCheck(g_open_security, subject, FALSE, desired, 0, nullptr,
                                        &g_file_mapping, UserMode, &granted, &access_status);
  return allowed && NT_SUCCESS(access_status);
}

NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

NTSTATUS NTAPI CreateClose(PDEVICE_OBJECT, PIRP irp) {
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  if (stack->MajorFunction == IRP_MJ_CREATE && !CallerMayOpen(irp, stack)) {
    return Complete(irp, STATUS_ACCESS_DENIED, 0);
  }
  return Complete(irp, STATUS_SUCCESS, 0);
}

// Buffered method: the system buffer holds max(input, output) bytes. A
// code of another method has no such buffer, so the routine sees none and
// refuses it by its lengths.
NTSTATUS NTAPI DeviceControl(PDEVICE_OBJECT device, PIRP irp) {
  const auto* state = static_cast<DeviceState*>(device->DeviceExtension);
  PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  const ULONG input_length = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG output_length = stack->Parameters.DeviceIoControl.OutputBufferLength;
  auto* buffer = static_cast<std::uint8_t*>(irp->AssociatedIrp.SystemBuffer);
  std::size_t size = 0;
  if (buffer != nullptr && (code & 3) == METHOD_BUFFERED) {
    size = input_length > output_length ? input_length : output_length;
  }
  const DispatchResult result =
      state->device_control(code, {buffer, size}, input_length, output_length);
  return Complete(irp, static_cast<NTSTATUS>(result.status), result.bytes_returned);
}

void NTAPI Unload(PDRIVER_OBJECT driver) {
  while (PDEVICE_OBJECT device = driver->DeviceObject) {
    auto* state = static_cast<DeviceState*>(device->DeviceExtension);
    IoDeleteSymbolicLink(&state->link);
    IoDeleteDevice(device);
  }
  if (g_open_security != nullptr) ExFreePool(g_open_security);
  g_open_security = nullptr;
}

}  // namespace

std::int32_t StartDriver(PDRIVER_OBJECT driver, const DriverDescription& description) {
  NTSTATUS status = BuildOpenSecurity();
  if (!NT_SUCCESS(status)) return status;
  UNICODE_STRING device_name;
  RtlInitUnicodeString(&device_name, description.device_name);
  PDEVICE_OBJECT device = nullptr;
  status = IoCreateDevice(driver, sizeof(DeviceState), &device_name, FILE_DEVICE_UNKNOWN, 0, FALSE,
                          &device);
  if (NT_SUCCESS(status)) {
    auto* state = static_cast<DeviceState*>(device->DeviceExtension);
    RtlInitUnicodeString(&state->link, description.link_name);
    state->device_control = description.device_control;
    status = IoCreateSymbolicLink(&state->link, &device_name);
    if (!NT_SUCCESS(status)) IoDeleteDevice(device);
  }
  if (!NT_SUCCESS(status)) {
    Unload(driver);
    return status;
  }
  driver->MajorFunction[IRP_MJ_CREATE] = CreateClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = CreateClose;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = DeviceControl;
  driver->DriverUnload = Unload;
  device->Flags |= DO_BUFFERED_IO;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

}  // namespace tunora::drivers::nt
