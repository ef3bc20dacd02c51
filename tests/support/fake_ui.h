// A user interface for tests that only records: every message box (text,
// caption, type) is kept and answered with OK; dialogs are recorded by id
// and answered with Cancel; sheets by caption and closed at once; wait-cursor calls are counted.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace tunora {

class FakeUi : public Ui {
 public:
  struct Message {
    std::string text;
    std::string caption;
    std::uint32_t type = 0;
    friend bool operator==(const Message&, const Message&) = default;
  };

  int MessageBox(std::string_view text, std::string_view caption, std::uint32_t type) override {
    messages.push_back({std::string(text), std::string(caption), type});
    return kIdOk;
  }
  int DialogBox(const DialogTemplate& dialog, DialogHandler&) override {
    dialogs.push_back(dialog.id);
    return kIdCancel;
  }
  int PropertySheet(const SheetTemplate& sheet, SheetHandler&) override {
    sheets.emplace_back(sheet.caption);
    return 0;
  }
  void BeginWaitCursor() override { ++wait_cursor_depth; }
  void EndWaitCursor() override { --wait_cursor_depth; }
  void Event(std::string_view line) override { events.emplace_back(line); }
  void ExpectWait(std::uint32_t milliseconds) override { expected_waits.push_back(milliseconds); }

  std::vector<Message> messages;
  std::vector<int> dialogs;
  std::vector<std::string> sheets;
  std::vector<std::string> events;
  int wait_cursor_depth = 0;
  std::vector<std::uint32_t> expected_waits;
};

}  // namespace tunora
