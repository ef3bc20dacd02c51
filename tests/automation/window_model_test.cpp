#include "automation/window_model.h"

#include <gtest/gtest.h>

#include "tests/support/fake_dialog.h"

namespace tunora::sim {
namespace {

namespace ids = testing;

TEST(WindowModel, StartsFromTheTemplate) {
  WindowModel window(ids::FakeDialog());
  EXPECT_EQ(window.dialog_id(), ids::kFakeDialogId);
  EXPECT_EQ(window.title(), "Fake \"Dialog\"");
  EXPECT_EQ(window.controls().size(), ids::FakeDialog().controls.size());
  EXPECT_EQ(window.default_button(), kIdOk);
  EXPECT_EQ(window.focus(), kNoControlId);
  EXPECT_EQ(window.GetText(ids::kTextId), "Two\nlines");
  EXPECT_FALSE(window.IsUsable(ids::kOffButton));
  EXPECT_FALSE(window.IsUsable(ids::kHiddenButton));
  EXPECT_TRUE(window.IsUsable(ids::kAskButton));
  EXPECT_FALSE(window.ended());
}

TEST(WindowModel, MissingControlsAreIgnoredLikeWindowsDoes) {
  WindowModel window(ids::FakeDialog());
  window.SetText(999, "x");
  window.SetCheck(999, true);
  window.SetDefaultButton(999);
  window.SetFocus(999);
  EXPECT_EQ(window.GetText(999), "");
  EXPECT_FALSE(window.IsChecked(999));
  EXPECT_EQ(window.ComboSelection(999), -1);
  EXPECT_EQ(window.Position(999), 0);
  EXPECT_EQ(window.default_button(), kIdOk);
  EXPECT_EQ(window.focus(), kNoControlId);
}

TEST(WindowModel, ComboItemsSelectionAndText) {
  WindowModel window(ids::FakeDialog());
  window.ComboAdd(ids::kComboId, "a");
  window.ComboAdd(ids::kComboId, "b");
  window.ComboSetSelection(ids::kComboId, 1);
  EXPECT_EQ(window.ComboSelection(ids::kComboId), 1);
  EXPECT_EQ(window.GetText(ids::kComboId), "b");
  // An edit field's text can differ from every item.
  window.SetText(ids::kComboId, "  -- NONE --");
  EXPECT_EQ(window.GetText(ids::kComboId), "  -- NONE --");
  window.ComboSetSelection(ids::kComboId, 2);  // out of range clears the selection
  EXPECT_EQ(window.ComboSelection(ids::kComboId), -1);
  window.ComboSetSelection(ids::kComboId, 0);
  window.ComboReset(ids::kComboId);
  EXPECT_EQ(window.ComboSelection(ids::kComboId), -1);
  EXPECT_EQ(window.GetText(ids::kComboId), "");
  EXPECT_TRUE(window.Find(ids::kComboId)->items.empty());
}

TEST(WindowModel, RangeAndPositionClamp) {
  WindowModel window(ids::FakeDialog());
  window.SetRange(ids::kSliderId, 0, 120);
  window.SetPosition(ids::kSliderId, 130);
  EXPECT_EQ(window.Position(ids::kSliderId), 120);
  window.SetRange(ids::kSliderId, 0, 50);  // narrowing pulls the thumb in
  EXPECT_EQ(window.Position(ids::kSliderId), 50);
  window.SetPosition(ids::kSliderId, -3);
  EXPECT_EQ(window.Position(ids::kSliderId), 0);
  EXPECT_EQ(window.UserSlide(ids::kSliderId, 77), 50);
}

TEST(WindowModel, TextLimitBindsTheUserOnly) {
  WindowModel window(ids::FakeDialog());
  window.SetTextLimit(ids::kEditId, 3);
  window.SetText(ids::kEditId, "program text");
  EXPECT_EQ(window.GetText(ids::kEditId), "program text");
  window.UserType(ids::kEditId, "12345");
  EXPECT_EQ(window.GetText(ids::kEditId), "123");
  window.SetTextLimit(ids::kEditId, 0);
  window.UserType(ids::kEditId, "12345");
  EXPECT_EQ(window.GetText(ids::kEditId), "12345");
}

TEST(WindowModel, RadioGroupsAreRunsOfRadioButtons) {
  const DialogTemplate dialog{
      1,
      "Radios",
      100,
      100,
      {
          {1, ControlKind::kRadioButton, "1", 0, 0, 10, 10, kStyleAutoCheck},
          {2, ControlKind::kRadioButton, "2", 0, 0, 10, 10, kStyleAutoCheck},
          {3, ControlKind::kCheckBox, "x", 0, 0, 10, 10, kStyleAutoCheck},
          {4, ControlKind::kRadioButton, "4", 0, 0, 10, 10, kStyleAutoCheck},
          {5, ControlKind::kRadioButton, "5", 0, 0, 10, 10},
      }};
  WindowModel window(dialog);
  window.SetCheck(3, true);
  window.UserClick(1);
  window.UserClick(4);
  EXPECT_TRUE(window.IsChecked(1));
  EXPECT_TRUE(window.IsChecked(4));
  window.UserClick(2);
  EXPECT_FALSE(window.IsChecked(1));
  EXPECT_TRUE(window.IsChecked(2));
  EXPECT_TRUE(window.IsChecked(3));
  EXPECT_TRUE(window.IsChecked(4));
  // A plain radio button is left to its handler.
  window.UserClick(5);
  EXPECT_FALSE(window.IsChecked(5));
  window.UserSetCheck(5, true);
  EXPECT_TRUE(window.IsChecked(4));
  EXPECT_TRUE(window.IsChecked(5));
  // The program's own SetCheck never touches the group.
  window.SetCheck(1, true);
  EXPECT_TRUE(window.IsChecked(2));
}

TEST(WindowModel, FocusGoesToTheFirstUsableInteractiveControl) {
  WindowModel window(ids::FakeDialog());
  window.Enable(kIdOk, false);
  window.FocusFirstIfNone();
  EXPECT_EQ(window.focus(), kIdCancel);

  WindowModel placed(ids::FakeDialog());
  placed.SetFocus(ids::kAskButton);
  placed.FocusFirstIfNone();
  EXPECT_EQ(placed.focus(), ids::kAskButton);
}

TEST(WindowModel, SystemMenuAndEndDialog) {
  WindowModel window(ids::FakeDialog());
  EXPECT_FALSE(window.HasSystemCommand(kIdmAboutBox));
  window.AppendSystemMenu(kIdmAboutBox, "&About Tunora_Util");
  ASSERT_EQ(window.system_menu().size(), 1u);
  EXPECT_EQ(window.system_menu()[0].text, "&About Tunora_Util");
  EXPECT_TRUE(window.HasSystemCommand(kIdmAboutBox));
  window.EndDialog(7);
  EXPECT_TRUE(window.ended());
  EXPECT_EQ(window.result(), 7);
}

TEST(WindowModel, KindNamesOfDumps) {
  const std::pair<ControlKind, std::string_view> names[] = {
      {ControlKind::kPushButton, "button"}, {ControlKind::kDefPushButton, "button"},
      {ControlKind::kCheckBox, "checkbox"}, {ControlKind::kRadioButton, "radio"},
      {ControlKind::kGroupBox, "group"},    {ControlKind::kStatic, "static"},
      {ControlKind::kPicture, "picture"},   {ControlKind::kEdit, "edit"},
      {ControlKind::kComboBox, "combo"},    {ControlKind::kTrackbar, "trackbar"},
      {ControlKind::kProgress, "progress"},
  };
  for (const auto& [kind, name] : names) EXPECT_EQ(ControlKindName(kind), name);
}

}  // namespace
}  // namespace tunora::sim
