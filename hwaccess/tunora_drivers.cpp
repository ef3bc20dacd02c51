// tunora's driver images. Apart from deploy.cpp so that lockstep, which
// links the deployment, never pulls in tunora's resource table (and with it
// the lockstep image tunora carries).
#include "hwaccess/deploy.h"

namespace tunora {

DriverSet TunoraDrivers() {
  return {DriverImage(TunoraResource(kResHwgate2)), DriverImage(TunoraResource(kResHwgate4)),
          DriverImage(TunoraResource(kResHwgt9x))};
}

}  // namespace tunora
