// The splash page and the TV tuner page as the sheet holds them: each with
// its dialog and runtime class. The splash page has no behaviour.
#pragma once

#include "sheet/page.h"

namespace tunora {

class SplashPage : public SheetPageHandler {
 public:
  std::string_view RuntimeClass() const override { return "CPage1"; }
};

class QtvPage : public SheetPageHandler {
 public:
  std::string_view RuntimeClass() const override { return "CPage8"; }
};

}  // namespace tunora
