// Every dialog template: layout rules the UI adapters rely on, and the
// texts, kinds and styles the pages' code and the users depend on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "automation/window_model.h"
#include "resources/dialogs.h"

namespace tunora {
namespace {

struct DialogCase {
  const DialogTemplate& (*get)();
  bool page;
};

constexpr DialogCase kDialogs[] = {
    {AboutDialog, false},      {MainDialog, false},       {NoCardDialog, false},
    {SplashPageDialog, true},  {AgpPageDialog, true},     {D3dPageDialog, true},
    {OpenGlPageDialog, true},  {MiscPageDialog, true},    {RebootPromptDialog, false},
    {AudioPageDialog, true},   {LogCreatedDialog, false}, {LogFailedDialog, false},
    {MonitorPageDialog, true}, {ClockPageDialog, true},   {ClockChangeDialog, false},
    {PermanenceDialog, false}, {QtvPageDialog, true},     {QtvWarningDialog, false},
};

bool Overlap(const ControlTemplate& a, const ControlTemplate& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

const ControlTemplate* FindControl(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& c : dialog.controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

bool Inside(const ControlTemplate& inner, const ControlTemplate& box) {
  return inner.x >= box.x && inner.y >= box.y && inner.x + inner.width <= box.x + box.width &&
         inner.y + inner.height <= box.y + box.height;
}

// The radio buttons of a group box are one keyboard group, and no other
// radio button is in it: Tab reaches each box, the arrows stay inside it.
TEST(DialogTemplates, EachGroupBoxsRadioButtonsAreOneKeyboardGroup) {
  for (const DialogCase& entry : kDialogs) {
    const DialogTemplate& dialog = entry.get();
    SCOPED_TRACE("dialog " + std::to_string(dialog.id));
    const auto& controls = dialog.controls;
    std::vector<int> group(controls.size(), 0);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const bool previous_is_radio = i > 0 && controls[i - 1].kind == ControlKind::kRadioButton;
      const int previous = i > 0 ? group[i - 1] : 0;
      group[i] = StartsKeyboardGroup(controls[i].kind, controls[i].style, previous_is_radio)
                     ? previous + 1
                     : previous;
    }
    for (const ControlTemplate& box : controls) {
      if (box.kind != ControlKind::kGroupBox) continue;
      SCOPED_TRACE("group box \"" + std::string(box.text) + "\"");
      std::set<int> groups;
      for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind == ControlKind::kRadioButton && Inside(controls[i], box)) {
          groups.insert(group[i]);
        }
      }
      if (groups.empty()) continue;
      EXPECT_EQ(groups.size(), 1u) << "its radio buttons are in several keyboard groups";
      for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].kind != ControlKind::kRadioButton || Inside(controls[i], box)) continue;
        EXPECT_FALSE(groups.count(group[i])) << "\"" << controls[i].text << "\" shares its group";
      }
    }
  }
}

TEST(DialogTemplates, LayoutRulesHoldForEveryDialog) {
  for (const DialogCase& entry : kDialogs) {
    const DialogTemplate& dialog = entry.get();
    SCOPED_TRACE("dialog " + std::to_string(dialog.id));
    if (entry.page) {
      EXPECT_EQ(dialog.width, 280);
      EXPECT_EQ(dialog.height, 114);
    }
    std::set<int> ids;
    const auto& controls = dialog.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const ControlTemplate& c = controls[i];
      SCOPED_TRACE("control " + std::to_string(i) + " \"" + std::string(c.text) + "\"");
      if (c.id != kNoControlId) {
        EXPECT_TRUE(ids.insert(c.id).second) << "duplicate id " << c.id;
      }
      EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.width > 0 && c.height > 0 &&
                  c.x + c.width <= dialog.width && c.y + c.height <= dialog.height);
      if (sim::IsPushButton(c.kind)) {
        EXPECT_GE(c.height, 12);
      }
      if (!sim::IsInteractive(c.kind)) continue;
      for (std::size_t j = i + 1; j < controls.size(); ++j) {
        if (sim::IsInteractive(controls[j].kind)) {
          EXPECT_FALSE(Overlap(c, controls[j])) << "overlaps \"" << controls[j].text << "\"";
        }
      }
    }
  }
}

TEST(DialogTemplates, FeatureControlsHaveTheirKindsAndStyles) {
  struct Case {
    const DialogTemplate& (*get)();
    int id;
    ControlKind kind;
    std::uint32_t style;  // bits that must be set
  };
  const Case cases[] = {
      {AudioPageDialog, kIdcAudioTone, ControlKind::kComboBox, 0},
      {MonitorPageDialog, kIdcMonitorRatio, ControlKind::kStatic, 0},
      {ClockPageDialog, kIdcClockSlider, ControlKind::kTrackbar, 0},
      {ClockPageDialog, kIdcClockProgress, ControlKind::kProgress, 0},
      {ClockChangeDialog, kIdcClockApply, ControlKind::kPushButton, kStyleDisabled},
      {PermanenceDialog, kIdcPermanent, ControlKind::kDefPushButton, 0},
      {QtvPageDialog, kIdcQtvAdvanced, ControlKind::kCheckBox, kStyleAutoCheck},
      {QtvPageDialog, kIdcQtvCountry, ControlKind::kEdit, kStyleReadOnly},
      {QtvPageDialog, kIdcQtvChannel, ControlKind::kComboBox, kStyleDisabled},
      {QtvPageDialog, kIdcQtvFrequency, ControlKind::kEdit, kStyleDisabled | kStyleNumber},
  };
  for (const Case& c : cases) {
    const ControlTemplate* control = FindControl(c.get(), c.id);
    ASSERT_NE(control, nullptr) << c.get().id << "/" << c.id;
    EXPECT_EQ(control->kind, c.kind) << c.get().id << "/" << c.id;
    EXPECT_EQ(control->style & c.style, c.style) << c.get().id << "/" << c.id;
  }
}

TEST(DialogTemplates, LongTextsAreExact) {
  const struct {
    const DialogTemplate& (*get)();
    std::string_view text;
  } cases[] = {
      {ClockChangeDialog,
       "Click on APPLY to apply changes.\n\nClick on TEST to test the changes for 10 seconds.\n\n"
       "Note: To revert changes after clicking the apply button you\n    must reboot your system "
       "unless made permanent."},
      {PermanenceDialog,
       "Click on the Permanent button to make the changes permanent, or click on Temporary "
       "button to test the\ncurrent changes for this session."},
      {PermanenceDialog,
       "Note: To revert changes applied with the temporary\n     button you must reboot your "
       "system. Also \n note that for the permanent changes to\n         take effect you must "
       "reboot your system"},
      {QtvWarningDialog,
       "There will be no technical support provided when enableing this feature. In order to "
       "have technical support, you must uninstall the video tools and then re-install them "
       "without re-enabling this feature."},
  };
  for (const auto& c : cases) {
    const auto& controls = c.get().controls;
    EXPECT_TRUE(std::any_of(controls.begin(), controls.end(),
                            [&](const ControlTemplate& t) { return t.text == c.text; }))
        << c.get().id << ": " << c.text;
  }
}

TEST(DialogTemplates, AudioTonesReachTheWindowAsComboItems) {
  sim::WindowModel window(AudioPageDialog());
  const sim::ControlState* combo = window.Find(kIdcAudioTone);
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->items.size(), 24u);
  EXPECT_EQ(combo->items[0], "-- None --");
  EXPECT_EQ(combo->items[1], "    400 Hz");
  EXPECT_EQ(combo->items[7], "  1000 Hz");
  for (std::size_t k = 1; k < combo->items.size(); ++k) {
    const std::string& item = combo->items[k];
    EXPECT_EQ(item.substr(item.find_first_not_of(' ')), std::to_string(300 + 100 * k) + " Hz");
  }
}

}  // namespace
}  // namespace tunora
