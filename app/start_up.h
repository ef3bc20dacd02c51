// tunora's start-up up to the main window.
#pragma once

#include "sheet/run_state.h"

namespace tunora {

// Classifies the platform and refuses what it must (ending the process),
// finds the card on the road's way (showing the no-card window and ending
// the process when there is none) and reads the driver version on NT.
void IdentifyMachine(App& app);

}  // namespace tunora
