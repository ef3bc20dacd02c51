#include "sheet/apply_undo.h"

#include <algorithm>
#include <vector>

#include "registry/reg_file.h"
#include "sheet/prop_sheet.h"

namespace tunora {
namespace {

constexpr std::string_view kRoot = "HKEY_LOCAL_MACHINE";

std::string Fold(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

// Whether `path` is `key` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view key) {
  const std::string p = Fold(path);
  const std::string k = Fold(key);
  return p == k || (p.size() > k.size() && p.starts_with(k) && p[k.size()] == '\\');
}

std::string KeyName(std::string_view path) { return std::string(kRoot) + "\\" + std::string(path); }

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string UndoFileText(const RegistryOverlay& overlay, bool deletions) {
  // What regedit here cannot do is kept as a comment for the user.
  const std::string removal = deletions ? "" : "; ";
  std::string out = std::string(kRegedit4Header) + "\n\n";
  out += "; tunora: the registry as it was before Apply. Import this file with regedit\n";
  out += "; (safe mode will do) to undo Apply's changes to the display driver's settings.\n";
  if (!deletions) {
    out += "; The regedit of this Windows cannot delete: the lines below that begin with\n";
    out += "; \"; [-\" or end in \"=-\" name keys and values Apply created. Delete them by\n";
    out += "; hand in the Registry Editor.\n";
  }
  out += "\n";

  // Keys Apply would create go with everything in them: only the outermost.
  std::vector<std::string> created;
  for (const std::string& key : overlay.created_keys()) {
    const bool inside = std::any_of(created.begin(), created.end(), [&](const std::string& outer) {
      return IsAtOrBelow(key, outer);
    });
    if (!inside) created.push_back(key);
  }
  for (const std::string& key : created) out += removal + "[-" + KeyName(key) + "]\n\n";
  const auto in_created = [&](std::string_view path) {
    return std::any_of(created.begin(), created.end(),
                       [&](const std::string& key) { return IsAtOrBelow(path, key); });
  };

  // Values by key, keys in the order Apply first touches them.
  std::vector<std::string> keys;
  for (const RegistryOverlay::TouchedValue& value : overlay.touched_values()) {
    const bool listed = std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
      return Fold(key) == Fold(value.key_path);
    });
    if (!listed && !in_created(value.key_path)) keys.push_back(value.key_path);
  }
  for (const std::string& key : keys) {
    out += "[" + KeyName(key) + "]\n";
    for (const RegistryOverlay::TouchedValue& value : overlay.touched_values()) {
      if (Fold(value.key_path) != Fold(key)) continue;
      if (value.before) {
        AppendRegFileValue(out, value.name, value.before->type, value.before->data);
      } else {
        out += removal;
        if (value.name.empty()) {
          out += "@";
        } else {
          AppendRegFileQuoted(out, value.name);
        }
        out += "=-\n";
      }
    }
    out += "\n";
  }
  return WithCrLf(out);
}

bool WriteApplyUndoFile(App& app) {
  RegistryOverlay overlay(app.platform.registry);
  UnseenUi unseen;
  // The writers only read the run's state, so the real Apply that follows
  // makes exactly these changes.
  (void)WritePendingChanges(app, overlay, unseen);
  const bool deletions = app.state.platform_kind == kPlatformWin2kXp;
  Files& files = app.platform.files;
  return files.WriteFile(files.WindowsDirectory() + std::string(kUndoFileName),
                         UndoFileText(overlay, deletions));
}

}  // namespace tunora
