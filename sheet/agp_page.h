// The AGP page (CPage2): force the AGP transfer mode or leave it to the
// driver, and the AGP status read at start-up.
#pragma once

#include "app/run_state.h"
#include "sheet/page.h"

namespace tunora {

class AgpPage : public SheetPageHandler {
 public:
  AgpPage(App& app, ApplyResetButtons& buttons) : app_(app), buttons_(buttons) {}
  std::string_view RuntimeClass() const override { return "CPage2"; }
  void OnNotify(DialogWindow& window, int code) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window);

 private:
  App& app_;
  ApplyResetButtons& buttons_;
};

}  // namespace tunora
