// A dialog with one control of every kind and a handler that records what
// it hears, for the UI adapter tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tunora::sim::testing {

inline constexpr int kFakeDialogId = 500;
inline constexpr int kAutoCheck = 10, kManualCheck = 11;
inline constexpr int kRadioA = 20, kRadioB = 21, kRadioC = 22, kRadioD = 23, kRadioE = 24;
inline constexpr int kEditId = 30, kComboId = 40, kSliderId = 50, kProgressId = 51;
inline constexpr int kTextId = 60, kOffButton = 61, kHiddenButton = 62, kAskButton = 70;

inline const DialogTemplate& FakeDialog() {
  static const DialogTemplate dialog{
      kFakeDialogId,
      "Fake \"Dialog\"",
      200,
      120,
      {
          {kNoControlId, ControlKind::kPicture, "#131", 4, 4, 40, 40},
          {kIdOk, ControlKind::kDefPushButton, "OK", 140, 100, 50, 14},
          {kIdCancel, ControlKind::kPushButton, "Cancel", 80, 100, 50, 14},
          {kAutoCheck, ControlKind::kCheckBox, "Auto", 50, 4, 60, 10, kStyleAutoCheck},
          {kManualCheck, ControlKind::kCheckBox, "Manual", 50, 16, 60, 10},
          {kNoControlId, ControlKind::kGroupBox, "Group", 120, 4, 70, 40},
          {kRadioA, ControlKind::kRadioButton, "A", 124, 12, 30, 10, kStyleAutoCheck},
          {kRadioB, ControlKind::kRadioButton, "B", 124, 22, 30, 10, kStyleAutoCheck},
          {kRadioC, ControlKind::kRadioButton, "C", 124, 32, 30, 10, kStyleAutoCheck},
          {kNoControlId, ControlKind::kStatic, "Second group", 50, 30, 60, 8},
          {kRadioD, ControlKind::kRadioButton, "D", 50, 40, 30, 10, kStyleAutoCheck},
          {kRadioE, ControlKind::kRadioButton, "E", 80, 40, 30, 10, kStyleAutoCheck},
          {kEditId, ControlKind::kEdit, "", 4, 50, 60, 12},
          {kComboId, ControlKind::kComboBox, "", 70, 50, 60, 60},
          {kSliderId, ControlKind::kTrackbar, "", 4, 66, 120, 12},
          {kProgressId, ControlKind::kProgress, "", 4, 80, 120, 8},
          {kTextId, ControlKind::kStatic, "Two\nlines", 130, 66, 60, 16,
           kStyleCentered | kStyleMultiline},
          {kOffButton, ControlKind::kPushButton, "Off", 4, 100, 30, 14, kStyleDisabled},
          {kHiddenButton, ControlKind::kPushButton, "Hidden", 36, 100, 30, 14, kStyleHidden},
          {kAskButton, ControlKind::kPushButton, "Ask", 140, 84, 50, 14},
      }};
  return dialog;
}

// Records every notification as a line; OK and Cancel end the dialog,
// Ask raises a Yes/No message box and shows its answer in the edit.
class RecordingHandler : public DialogHandler {
 public:
  explicit RecordingHandler(Ui& ui) : ui_(ui) {}

  void OnInit(DialogWindow& window) override {
    log.push_back("init");
    window.ComboAdd(kComboId, "first");
    window.ComboAdd(kComboId, "second");
    window.ComboAdd(kComboId, "third");
    window.SetRange(kSliderId, 0, 120);
    window.SetPosition(kSliderId, 100);
    window.SetRange(kProgressId, 0, 120);
    window.SetTextLimit(kEditId, 4);
    window.AppendSystemMenu(kIdmAboutBox, "&About");
    if (on_init) on_init(window);
  }
  void OnCommand(DialogWindow& window, int id, int notification) override {
    log.push_back("command " + std::to_string(id) + " " + std::to_string(notification));
    if (notification == kEnChange) log.push_back("text " + window.GetText(id));
    if (notification == kCbnSelChange) {
      log.push_back("sel " + std::to_string(window.ComboSelection(id)));
    }
    if (id == kIdOk || id == kIdCancel) window.EndDialog(id);
    if (id == kAskButton) {
      const int answer = ui_.MessageBox("Sure?", "Fake", kMbYesNo | kMbIconQuestion);
      window.SetText(kEditId, std::to_string(answer));
    }
  }
  void OnScroll(DialogWindow& window, int id, int position, bool released) override {
    log.push_back("scroll " + std::to_string(id) + " " + std::to_string(position) +
                  (released ? " released" : ""));
    window.SetPosition(kProgressId, position);
  }
  void OnSysCommand(DialogWindow& window, std::uint32_t command) override {
    log.push_back("syscommand " + std::to_string(command));
    (void)window;
  }
  void OnCancel(DialogWindow& window) override {
    log.push_back("cancel");
    window.EndDialog(kIdCancel);
  }

  std::vector<std::string> log;
  std::function<void(DialogWindow&)> on_init;

 private:
  Ui& ui_;
};

}  // namespace tunora::sim::testing
