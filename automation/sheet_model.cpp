#include "automation/sheet_model.h"

#include <algorithm>
#include <utility>

#include "automation/ui_script.h"

namespace tunora::sim {
namespace {

// MS Sans Serif 8: a horizontal dialog unit is 1.5 pixels, a vertical one
// 1.625 pixels (base units 6 by 13).
int PixelsToUnitsX(int pixels) { return pixels * 2 / 3; }
int PixelsToUnitsY(int pixels) { return pixels * 8 / 13; }

constexpr int kStandardButtonWidth = 50;
constexpr int kStandardButtonHeight = 14;
constexpr int kStandardButtonGap = 4;

}  // namespace

DialogTemplate SheetFrameTemplate(const SheetTemplate& sheet) {
  int page_width = 0, page_height = 0;
  for (const SheetPage& page : sheet.pages) {
    page_width = std::max(page_width, page.dialog->width);
    page_height = std::max(page_height, page.dialog->height);
  }
  const int width = page_width + 2 * kSheetMargin;
  const int height = kSheetMargin + kSheetTabHeight + page_height + kSheetMargin + kSheetButtonRow;
  DialogTemplate frame{0, sheet.caption, width, height, {}};
  // Right to left: Help, Apply, Cancel, OK, as the common controls place them.
  const struct {
    int id;
    ControlKind kind;
    std::string_view text;
    std::uint32_t style;
  } standard[] = {
      // Disabled unless a page asks for help, as the common controls do.
      {kIdSheetHelp, ControlKind::kPushButton, "Help", kStyleDisabled},
      {kIdSheetApplyNow, ControlKind::kPushButton, "&Apply", kStyleDisabled},
      {kIdSheetCancel, ControlKind::kPushButton, "Cancel", 0},
      {kIdSheetOk, ControlKind::kDefPushButton, "OK", 0},
  };
  int right = width - kSheetMargin;
  const int top = height - kSheetButtonRow + (kSheetButtonRow - kStandardButtonHeight) / 2;
  for (const auto& button : standard) {
    const int left = right - kStandardButtonWidth;
    frame.controls.push_back({button.id, button.kind, button.text, left, top, kStandardButtonWidth,
                              kStandardButtonHeight, button.style});
    right = left - kStandardButtonGap;
  }
  // Listed left to right, so the focus order runs that way.
  std::reverse(frame.controls.begin(), frame.controls.end());
  return frame;
}

SheetModel::SheetModel(const SheetTemplate& sheet, SheetHandler& handler,
                       std::function<void(const WindowModel&)> page_shown)
    : caption_(sheet.caption),
      handler_(handler),
      page_shown_(std::move(page_shown)),
      start_page_(sheet.start_page),
      frame_(SheetFrameTemplate(sheet)) {
  pages_.reserve(sheet.pages.size());
  for (const SheetPage& page : sheet.pages) pages_.push_back({page.dialog, page.handler, nullptr});
}

void SheetModel::Open() {
  handler_.OnInit(*this);
  if (pages_.empty() || frame_.ended()) return;
  SetActivePage(std::clamp(start_page_, 0, page_count() - 1));
}

void SheetModel::AddButton(const SheetButton& button) {
  const int width = frame_.width() * 3 / 2;  // the frame in pixels
  const int height = frame_.height() * 13 / 8;
  const int left = PixelsToUnitsX(width - button.from_right_left);
  const int right = PixelsToUnitsX(width - button.from_right_right);
  const int top = PixelsToUnitsY(height - button.from_bottom_top);
  const int bottom = PixelsToUnitsY(height - button.from_bottom_bottom);
  frame_.AddControl({button.id,
                     button.default_button ? ControlKind::kDefPushButton : ControlKind::kPushButton,
                     button.text, left, top, right - left, bottom - top, 0});
  if (button.default_button) frame_.SetDefaultButton(button.id);
}

void SheetModel::SetActivePage(int index) {
  if (index < 0 || index >= page_count()) return;
  active_ = index;
  Page& page = pages_[static_cast<std::size_t>(index)];
  const bool first = !page.window;
  if (first) page.window = std::make_unique<WindowModel>(*page.dialog);
  if (page_shown_) page_shown_(*page.window);
  if (first) page.handler->OnInit(*page.window);
  page.handler->OnNotify(*page.window, kPsnSetActive);
  // After the page's refresh, which may disable what init left usable.
  if (first) page.window->FocusFirstIfNone();
}

std::string_view SheetModel::PageTitle(int index) const {
  return pages_.at(static_cast<std::size_t>(index)).dialog->title;
}

WindowModel* SheetModel::ActiveWindow() {
  return active_ < 0 ? nullptr : pages_[static_cast<std::size_t>(active_)].window.get();
}

const WindowModel* SheetModel::ActiveWindow() const {
  return active_ < 0 ? nullptr : pages_[static_cast<std::size_t>(active_)].window.get();
}

DialogHandler* SheetModel::ActiveHandler() {
  return active_ < 0 ? nullptr : pages_[static_cast<std::size_t>(active_)].handler;
}

std::vector<std::string> SheetModel::Dump() const {
  std::string line = "sheet " + QuoteScriptString(caption_) + " tabs";
  for (int i = 0; i < page_count(); ++i) {
    const std::string title(PageTitle(i));
    line += " " + QuoteScriptString(i == active_ ? "[" + title + "]" : title);
  }
  std::vector<std::string> lines{line};
  if (const WindowModel* page = ActiveWindow()) {
    for (const std::string& control : page->Dump()) lines.push_back(control);
  }
  for (const std::string& control : frame_.Dump()) lines.push_back(control);
  return lines;
}

}  // namespace tunora::sim
