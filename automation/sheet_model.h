// The live state of a property sheet: its frame (the standard buttons and
// the ones the sheet handler adds) and one window model per page, built
// when the page is first activated. Both sim UIs run sheets through it;
// the scripted UI dumps it, the terminal UI draws it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/window_model.h"
#include "platform/ui.h"

namespace tunora::sim {

// Where the page sits in the frame and how tall the button row is, in
// dialog units.
inline constexpr int kSheetMargin = 4;
inline constexpr int kSheetTabHeight = 12;
inline constexpr int kSheetButtonRow = 22;

class SheetModel : public SheetWindow {
 public:
  // `page_shown` hears of each page that becomes active, before the page
  // hears of it (the scripted UI writes and checks its `window` line).
  SheetModel(const SheetTemplate& sheet, SheetHandler& handler,
             std::function<void(const WindowModel&)> page_shown = {});

  // The sheet's own initialisation, then the start page's activation.
  void Open();

  // DialogWindow: the frame's controls.
  void SetText(int id, std::string_view text) override { frame_.SetText(id, text); }
  std::string GetText(int id) override { return frame_.GetText(id); }
  void SetCheck(int id, bool checked) override { frame_.SetCheck(id, checked); }
  bool IsChecked(int id) override { return frame_.IsChecked(id); }
  void Enable(int id, bool enabled) override { frame_.Enable(id, enabled); }
  void Show(int id, bool visible) override { frame_.Show(id, visible); }
  void SetDefaultButton(int id) override { frame_.SetDefaultButton(id); }
  void SetFocus(int id) override { frame_.SetFocus(id); }
  void ComboReset(int id) override { frame_.ComboReset(id); }
  void ComboAdd(int id, std::string_view item) override { frame_.ComboAdd(id, item); }
  void ComboSetSelection(int id, int index) override { frame_.ComboSetSelection(id, index); }
  int ComboSelection(int id) override { return frame_.ComboSelection(id); }
  void SetRange(int id, int low, int high) override { frame_.SetRange(id, low, high); }
  void SetPosition(int id, int position) override { frame_.SetPosition(id, position); }
  int Position(int id) override { return frame_.Position(id); }
  void SetTextLimit(int id, int limit) override { frame_.SetTextLimit(id, limit); }
  void AppendSystemMenu(std::uint32_t command, std::string_view text) override {
    frame_.AppendSystemMenu(command, text);
  }
  void EndDialog(int result) override { frame_.EndDialog(result); }

  // SheetWindow.
  void AddButton(const SheetButton& button) override;
  int ActivePageIndex() override { return active_; }
  void SetActivePage(int index) override;

  std::string_view caption() const { return caption_; }
  int page_count() const { return static_cast<int>(pages_.size()); }
  std::string_view PageTitle(int index) const;
  int active() const { return active_; }
  WindowModel& frame() { return frame_; }
  const WindowModel& frame() const { return frame_; }
  // The active page's window and its handler; null before Open.
  WindowModel* ActiveWindow();
  const WindowModel* ActiveWindow() const;
  DialogHandler* ActiveHandler();
  SheetHandler& handler() { return handler_; }
  bool ended() const { return frame_.ended(); }
  int result() const { return frame_.result(); }

  // `sheet "CAPTION" tabs "A" "[B]" ...` (the active tab in brackets), then
  // the active page's controls, then the frame's.
  std::vector<std::string> Dump() const;

 private:
  struct Page {
    const DialogTemplate* dialog;
    DialogHandler* handler;
    std::unique_ptr<WindowModel> window;  // built on first activation
  };

  std::string caption_;
  SheetHandler& handler_;
  std::function<void(const WindowModel&)> page_shown_;
  std::vector<Page> pages_;
  int start_page_;
  int active_ = -1;
  WindowModel frame_;
};

// The frame's template: the standard buttons, sized to hold the largest
// page with its tabs and a button row.
DialogTemplate SheetFrameTemplate(const SheetTemplate& sheet);

}  // namespace tunora::sim
