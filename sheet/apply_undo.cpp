#include "sheet/apply_undo.h"

#include <algorithm>
#include <vector>

#include "registry/reg_file.h"
#include "sheet/prop_sheet.h"

namespace tunora {
namespace {

// Whether `path` is `key` or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view key) {
  const std::string p = FoldName(path);
  const std::string k = FoldName(key);
  return p == k || (p.size() > k.size() && p.starts_with(k) && p[k.size()] == '\\');
}

std::string KeyName(std::string_view path) {
  return std::string(kLocalMachineName) + "\\" + std::string(path);
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
      return FoldName(key) == FoldName(value.key_path);
    });
    if (!listed && !in_created(value.key_path)) keys.push_back(value.key_path);
  }
  for (const std::string& key : keys) {
    out += "[" + KeyName(key) + "]\n";
    for (const RegistryOverlay::TouchedValue& value : overlay.touched_values()) {
      if (FoldName(value.key_path) != FoldName(key)) continue;
      if (value.before) {
        AppendRegFileValue(out, value.name, value.before->type, value.before->data);
      } else {
        out += removal;
        AppendRegFileName(out, value.name);
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
