// How the scripted UI runs a window that waits for the user: the loop that
// feeds it action steps, and the actions on a dialog's controls. A property
// sheet is a second kind of ScriptedWindow (its tabs and its own buttons
// around the active page's controls) and reuses PerformControlStep.
#pragma once

#include <string>

#include "automation/sheet_model.h"
#include "automation/ui_script.h"
#include "automation/window_model.h"
#include "platform/ui.h"
#include "sim/ui/scripted_ui.h"

namespace tunora::sim {

class ScriptedWindow {
 public:
  virtual ~ScriptedWindow() = default;
  // `window 102 "TITLE"`, for messages.
  virtual std::string Describe() const = 0;
  virtual bool Ended() const = 0;
  // One action step (already in the transcript); throws ScriptError when it does not
  // fit the window.
  virtual void Perform(const ScriptStep& step) = 0;
};

// Takes steps until the window ends. An expect step or the end of the
// script while the window still waits is a mismatch.
void RunScriptedWindow(ScriptedUi& ui, ScriptedWindow& window);

// The control actions (click, check, uncheck, select, type, slider, press,
// key enter/escape, sysmenu, dump) on one dialog and its handler.
void PerformControlStep(ScriptedUi& ui, const ScriptStep& step, WindowModel& window,
                        DialogHandler& handler);

// `window 102 "TITLE"`: the transcript line of a shown window.
std::string WindowLine(const WindowModel& window);

class ScriptedDialog : public ScriptedWindow {
 public:
  ScriptedDialog(ScriptedUi& ui, WindowModel& window, DialogHandler& handler)
      : ui_(ui), window_(window), handler_(handler) {}
  std::string Describe() const override { return WindowLine(window_); }
  bool Ended() const override { return window_.ended(); }
  void Perform(const ScriptStep& step) override;

 private:
  ScriptedUi& ui_;
  WindowModel& window_;
  DialogHandler& handler_;
};

// A property sheet: `tab "TITLE"` switches pages, control steps go to the
// active page when it has the control and to the frame's buttons
// otherwise, Escape and Enter belong to the frame.
class ScriptedSheet : public ScriptedWindow {
 public:
  ScriptedSheet(ScriptedUi& ui, SheetModel& sheet) : ui_(ui), sheet_(sheet) {}
  std::string Describe() const override;
  bool Ended() const override { return sheet_.ended(); }
  void Perform(const ScriptStep& step) override;

 private:
  ScriptedUi& ui_;
  SheetModel& sheet_;
};

// The frame's buttons as a dialog handler, for PerformControlStep.
class SheetFrameHandler : public DialogHandler {
 public:
  explicit SheetFrameHandler(SheetModel& sheet) : sheet_(sheet) {}
  void OnCommand(DialogWindow& window, int id, int notification) override {
    (void)window;
    sheet_.handler().OnCommand(sheet_, id, notification);
  }
  void OnCancel(DialogWindow& window) override {
    (void)window;
    sheet_.handler().OnCancel(sheet_);
  }

 private:
  SheetModel& sheet_;
};

}  // namespace tunora::sim
