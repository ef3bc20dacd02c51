// The D3D page (CPage3): Direct3D vertical sync forced off or on.
#pragma once

#include "app/run_state.h"
#include "sheet/page.h"

namespace tunora {

class D3dPage : public SheetPageHandler {
 public:
  D3dPage(App& app, ApplyResetButtons& buttons) : app_(app), buttons_(buttons) {}
  std::string_view RuntimeClass() const override { return "CPage3"; }
  void OnNotify(DialogWindow& window, int code) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;

  void Refresh(DialogWindow& window);

 private:
  App& app_;
  ApplyResetButtons& buttons_;
};

}  // namespace tunora
