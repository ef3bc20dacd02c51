// The main window, the about box and the no-card window.
#pragma once

#include <string>

#include "platform/ui.h"
#include "sheet/run_state.h"

namespace tunora {

class MainWindow : public DialogHandler {
 public:
  MainWindow(App& app, std::string platform_text)
      : app_(app), platform_text_(std::move(platform_text)) {}
  void OnInit(DialogWindow& window) override;
  void OnCommand(DialogWindow& window, int id, int notification) override;
  void OnSysCommand(DialogWindow& window, std::uint32_t command) override;

 private:
  App& app_;
  std::string platform_text_;
};

class AboutBox : public DialogHandler {
 public:
  void OnCommand(DialogWindow& window, int id, int notification) override;
};

class NoCardWindow : public DialogHandler {
 public:
  void OnCommand(DialogWindow& window, int id, int notification) override;
};

// Shows the main window modally and returns its result: IDCANCEL when the
// user closed it, 0 after Tweak's sheet closed.
int ShowMainWindow(App& app);

// Tweak: reads every setting (the values at opening) and shows the sheet
// until Cancel closes it; Apply ends the process.
void RunTweak(App& app);

}  // namespace tunora
