// The Audio page (CPage5): a base tone picked from the template's list and
// played as a ten-second test tone through the sound card. The sheet builds
// it with every sheet but does not show it (PropSheetOptions).
#pragma once

#include <string_view>

#include "sheet/page.h"
#include "sheet/run_state.h"

namespace tunora {

inline constexpr std::string_view kToneFilePath = "c:\\tunoratri.wav";

class AudioPage : public SheetPageHandler {
 public:
  explicit AudioPage(App& app) : app_(app) {}
  std::string_view RuntimeClass() const override { return "CPage5"; }
  void OnNotify(DialogWindow& window, int code) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;

 private:
  App& app_;
};

// Writes the tone of base value `frequency` to kToneFilePath, plays it to
// the end and deletes it. Failures are not reported.
void PlayTestTone(Platform& platform, int frequency);

}  // namespace tunora
