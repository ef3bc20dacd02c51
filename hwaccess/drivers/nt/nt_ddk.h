// The DDK, for the files that talk to the kernel. Include it after the
// portable headers: it defines the STATUS_* names as macros.
#pragma once

// In C++ the DDK's own inline versions of these two clash with the
// compiler's intrinsic declarations; keep the DDK's.
#define __INTRINSIC_DEFINED_InterlockedBitTestAndSet
#define __INTRINSIC_DEFINED_InterlockedBitTestAndReset
#include <ntifs.h>
