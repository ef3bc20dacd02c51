#include "sheet/monitor_profile_page.h"

#include <string>

#include "resources/dialogs.h"
#include "sheet/mode_timing.h"

namespace tunora {
namespace {

// One of the two combos: its list and where its choice is kept.
struct Axis {
  int id;
  const ResolutionList* list;
  bool SheetFlags::*chosen;
  std::string SheetFlags::*text;
};
constexpr Axis kAxes[] = {
    {kIdcMonitorHorizontal, &kHorizontalResolutions, &SheetFlags::monitor_horizontal_chosen,
     &SheetFlags::monitor_horizontal},
    {kIdcMonitorVertical, &kVerticalResolutions, &SheetFlags::monitor_vertical_chosen,
     &SheetFlags::monitor_vertical},
};

int Value(const std::string& text) { return std::stoi(text); }

}  // namespace

void MonitorProfilePage::OnInit(DialogWindow& window) {
  // The page's window starts with both lists empty; fill them once.
  for (const Axis& axis : kAxes) {
    for (const std::string& text : axis.list->Texts()) window.ComboAdd(axis.id, text);
  }
}

void MonitorProfilePage::Refresh(DialogWindow& window) {
  const SheetFlags& flags = app_.state.flags;
  for (const Axis& axis : kAxes) {
    window.SetText(axis.id,
                   flags.*axis.chosen ? std::string_view(flags.*axis.text) : kNoResolutionChosen);
  }
  const bool horizontal = flags.monitor_horizontal_chosen;
  const bool vertical = flags.monitor_vertical_chosen;
  if (!horizontal && !vertical) window.SetText(kIdcMonitorRatio, kAspectRatioUnavailable);
  // With one value chosen the text stays as it was.
  if (horizontal && vertical) ShowAspectClass(window);
}

void MonitorProfilePage::OnCommand(DialogWindow& window, int id, int notification) {
  if (notification != kCbnSelChange) return;
  SheetFlags& flags = app_.state.flags;
  for (const Axis& axis : kAxes) {
    if (axis.id != id) continue;
    const int index = window.ComboSelection(id);
    if (index < 0 || index >= axis.list->count) return;
    const Axis& other = axis.id == kIdcMonitorHorizontal ? kAxes[1] : kAxes[0];
    if (flags.*other.chosen) buttons_.EnableApplyAndReset();
    flags.*axis.text = std::to_string(axis.list->At(index));
    flags.*axis.chosen = true;
    if (flags.CustomResolutionChosen()) ShowAspectClass(window);
  }
}

void MonitorProfilePage::ShowAspectClass(DialogWindow& window) {
  const SheetFlags& flags = app_.state.flags;
  window.SetText(kIdcMonitorRatio,
                 AspectClass(Value(flags.monitor_horizontal), Value(flags.monitor_vertical)));
}

}  // namespace tunora
