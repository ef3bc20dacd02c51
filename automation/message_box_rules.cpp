#include "automation/message_box_rules.h"

#include <algorithm>

#include "platform/ui.h"

namespace tunora::sim {
namespace {

constexpr std::uint32_t kMbTypeMask = 0xF;
constexpr std::uint32_t kMbDefButtonMask = 0xF00;
constexpr std::uint32_t kMbDefButton3 = 0x200;
constexpr std::uint32_t kMbAbortRetryIgnore = 0x2;
constexpr std::uint32_t kMbRetryCancel = 0x5;
constexpr int kIdAbort = 3;
constexpr int kIdRetry = 4;
constexpr int kIdIgnore = 5;

}  // namespace

std::vector<int> MessageBoxButtons(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOkCancel:
      return {kIdOk, kIdCancel};
    case kMbAbortRetryIgnore:
      return {kIdAbort, kIdRetry, kIdIgnore};
    case kMbYesNoCancel:
      return {kIdYes, kIdNo, kIdCancel};
    case kMbYesNo:
      return {kIdYes, kIdNo};
    case kMbRetryCancel:
      return {kIdRetry, kIdCancel};
    default:
      return {kIdOk};
  }
}

int MessageBoxDefault(std::uint32_t type) {
  const std::vector<int> buttons = MessageBoxButtons(type);
  std::size_t index = 0;
  if ((type & kMbDefButtonMask) == kMbDefButton2) index = 1;
  if ((type & kMbDefButtonMask) == kMbDefButton3) index = 2;
  return buttons[std::min(index, buttons.size() - 1)];
}

int MessageBoxEscape(std::uint32_t type) {
  const std::vector<int> buttons = MessageBoxButtons(type);
  if (std::find(buttons.begin(), buttons.end(), kIdCancel) != buttons.end()) return kIdCancel;
  // A lone OK button answers Escape too; Yes/No boxes ignore it.
  return buttons.size() == 1 ? kIdOk : 0;
}

}  // namespace tunora::sim
