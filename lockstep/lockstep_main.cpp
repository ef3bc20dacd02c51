// lockstep: re-applies the stored clock choice at log-on. Until the clock
// programming exists it has nothing to apply and says so.
#include "platform/platform.h"

namespace tunora {

int LockstepMain(Platform& platform) {
  (void)platform;
  return 0;
}

}  // namespace tunora
