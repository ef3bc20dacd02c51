// What the sheet's pages have in common: the two sheet buttons they may
// enable and disable, and the runtime class name each page reports.
#pragma once

#include <string_view>

#include "platform/ui.h"

namespace tunora {

// The sheet's Apply and Reset All buttons, as the pages see them.
class ApplyResetButtons {
 public:
  virtual ~ApplyResetButtons() = default;
  virtual void EnableApplyAndReset() = 0;
  virtual void DisableApplyAndReset() = 0;
};

// A page's dialog handler. Pages rebuild their controls from the run's
// state whenever they become active (kPsnSetActive) and only edit pending
// state; Apply writes.
class SheetPageHandler : public DialogHandler {
 public:
  virtual std::string_view RuntimeClass() const = 0;
};

}  // namespace tunora
