#include "platform/win32/dlgtemplate.h"

#include <gtest/gtest.h>

#include <string>

namespace tunora::win32 {
namespace {

std::uint16_t Word(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8);
}

std::uint32_t Dword(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return Word(bytes, at) | static_cast<std::uint32_t>(Word(bytes, at + 2)) << 16;
}

// The zero-terminated UTF-16 string at `at`, narrowed; `at` moves past it.
std::string Text(const std::vector<std::uint8_t>& bytes, std::size_t& at) {
  std::string text;
  for (std::uint16_t c; (c = Word(bytes, at)) != 0; at += 2) text += static_cast<char>(c);
  at += 2;
  return text;
}

const DialogTemplate kSmall{7,
                            "Hi",
                            40,
                            30,
                            {
                                {1, ControlKind::kDefPushButton, "OK", 1, 2, 3, 4},
                                {kNoControlId, ControlKind::kPicture, "#131", 5, 6, 7, 8},
                                {9, ControlKind::kTrackbar, "", 0, 0, 20, 10, kStyleDisabled},
                            },
                            kDialogAppWindow};

TEST(DialogTemplateBytes, HeaderFontAndItemsAtTheirOffsets) {
  const std::vector<std::uint8_t> bytes =
      BuildDialogTemplate(kSmall, TemplateUse::kDialog, [](int id) { return id == 132; });
  ASSERT_EQ(bytes.size(), 180u);
  EXPECT_EQ(Dword(bytes, 0), kWsPopup | kWsCaption | kWsSysMenu | kWsMinimizeBox | kDsModalFrame |
                                 kDs3dLook | kDsSetFont);
  EXPECT_EQ(Dword(bytes, 4), kWsExAppWindow);
  EXPECT_EQ(Word(bytes, 8), 3);  // items
  EXPECT_EQ(Word(bytes, 14), 40);
  EXPECT_EQ(Word(bytes, 16), 30);
  EXPECT_EQ(Word(bytes, 18), 0);  // menu
  EXPECT_EQ(Word(bytes, 20), 0);  // class
  std::size_t at = 22;
  EXPECT_EQ(Text(bytes, at), "Hi");
  EXPECT_EQ(Word(bytes, at), 8);
  at += 2;
  EXPECT_EQ(Text(bytes, at), "MS Sans Serif");

  const struct {
    std::size_t offset;
    std::uint32_t style;
    std::uint16_t id, y, height;
    std::uint16_t atom;  // 0: the class is named
    std::string class_name;
    std::uint16_t ordinal;  // 0: the title is a text
    std::string title;
  } items[] = {
      {60, kWsChild | kWsVisible | kWsGroup | kWsTabStop | kBsDefPushButton, 1, 2, 4, kAtomButton,
       "", 0, "OK"},
      {92, kWsChild | kWsVisible | kWsGroup | kSsBitmap, 0xFFFF, 6, 8, kAtomStatic, "", 131, ""},
      {120, kWsChild | kWsVisible | kWsDisabled | kWsGroup | kWsTabStop, 9, 0, 10, 0,
       "msctls_trackbar32", 0, ""},
  };
  for (const auto& item : items) {
    SCOPED_TRACE("item at " + std::to_string(item.offset));
    EXPECT_EQ(item.offset % 4, 0u);
    EXPECT_EQ(Dword(bytes, item.offset), item.style);
    EXPECT_EQ(Word(bytes, item.offset + 10), item.y);
    EXPECT_EQ(Word(bytes, item.offset + 14), item.height);
    EXPECT_EQ(Word(bytes, item.offset + 16), item.id);
    at = item.offset + 18;
    if (item.atom != 0) {
      EXPECT_EQ(Word(bytes, at), 0xFFFF);
      EXPECT_EQ(Word(bytes, at + 2), item.atom);
      at += 4;
    } else {
      EXPECT_EQ(Text(bytes, at), item.class_name);
    }
    if (item.ordinal != 0) {
      EXPECT_EQ(Word(bytes, at), 0xFFFF);
      EXPECT_EQ(Word(bytes, at + 2), item.ordinal);
      at += 4;
    } else {
      EXPECT_EQ(Text(bytes, at), item.title);
    }
    EXPECT_EQ(Word(bytes, at), 0);  // creation data
  }
}

TEST(DialogTemplateStyles, PagesAndControls) {
  EXPECT_EQ(DialogStyle(kSmall, TemplateUse::kPage),
            kWsChild | kDsControl | kDs3dLook | kDsSetFont);
  EXPECT_EQ(DialogExStyle(kSmall, TemplateUse::kPage), 0u);
  DialogTemplate no_close = kSmall;
  no_close.flags = kDialogNoCloseBox;
  EXPECT_EQ(DialogStyle(no_close, TemplateUse::kDialog) & kWsSysMenu, 0u);
  EXPECT_NE(DialogStyle(kSmall, TemplateUse::kDialog) & kWsSysMenu, 0u);

  const ControlTemplate radio{1, ControlKind::kRadioButton, "A", 0, 0, 9, 9};
  const ControlTemplate auto_radio{2, ControlKind::kRadioButton, "B", 0, 0, 9, 9, kStyleAutoCheck};
  const ControlTemplate box{3, ControlKind::kCheckBox, "C", 0, 0, 9, 9};
  const ControlTemplate auto_box{3, ControlKind::kCheckBox, "C", 0, 0, 9, 9, kStyleAutoCheck};
  const ControlTemplate list{4, ControlKind::kComboBox, "", 0, 0, 9, 9, kStyleDropDownList};
  const ControlTemplate field{5,  ControlKind::kEdit,
                              "", 0,
                              0,  9,
                              9,  kStyleCentered | kStyleNumber | kStyleReadOnly | kStyleHidden};
  const ControlTemplate label{6, ControlKind::kStatic,         "", 0, 0, 9,
                              9, kStyleCentered | kStyleSunken};
  constexpr std::uint32_t kShown = kWsChild | kWsVisible;
  const struct {
    const ControlTemplate* control;
    const ControlTemplate* previous;
    bool icon;
    std::uint32_t style;
  } cases[] = {
      {&radio, nullptr, false, kShown | kWsGroup | kWsTabStop | kBsRadioButton},
      {&auto_radio, &radio, false, kShown | kBsAutoRadioButton},
      {&box, &radio, false, kShown | kWsGroup | kWsTabStop | kBsCheckBox},
      {&auto_box, nullptr, false, kShown | kWsGroup | kWsTabStop | kBsAutoCheckBox},
      {&list, nullptr, false, kShown | kWsGroup | kWsTabStop | kWsVScroll | kCbsDropDownList},
      {&field, nullptr, false,
       kWsChild | kWsGroup | kWsTabStop | kWsBorder | kEsCenter | kEsAutoHScroll | kEsNumber |
           kEsReadOnly},
      {&label, nullptr, false, kShown | kWsGroup | kSsCenter | kSsSunken},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("control " + std::to_string(c.control->id));
    EXPECT_EQ(ControlStyle(*c.control, c.previous, c.icon), c.style);
  }
  EXPECT_EQ(ControlExStyle({7, ControlKind::kEdit, "", 0, 0, 9, 9, kStyleSunken}), kWsExClientEdge);
  EXPECT_EQ(PictureResourceId("#131"), 131);
  EXPECT_EQ(PictureResourceId("#13x"), -1);
  EXPECT_EQ(PictureResourceId("131"), -1);
}

}  // namespace
}  // namespace tunora::win32
