// The splash page as the sheet holds it: its dialog and runtime class, and
// no behaviour.
#pragma once

#include "sheet/page.h"

namespace tunora {

class SplashPage : public SheetPageHandler {
 public:
  std::string_view RuntimeClass() const override { return "CPage1"; }
};

}  // namespace tunora
