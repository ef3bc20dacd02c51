// A page that edits the run's settings: it rebuilds its controls from the
// run's state each time it becomes active.
#pragma once

#include "sheet/page.h"
#include "sheet/run_state.h"

namespace tunora {

class SettingsPage : public SheetPageHandler {
 public:
  SettingsPage(App& app, ApplyResetButtons& buttons) : app_(app), buttons_(buttons) {}
  void OnNotify(DialogWindow& window, int code) override {
    if (code == kPsnSetActive) Refresh(window);
  }
  virtual void Refresh(DialogWindow& window) = 0;

 protected:
  App& app_;
  ApplyResetButtons& buttons_;
};

}  // namespace tunora
