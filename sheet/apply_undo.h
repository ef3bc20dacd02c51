// The undo file Apply leaves before it writes anything: every registry
// value Apply is about to change or delete, with its data as it is now,
// and what it is about to create, as a registry file in the Windows
// directory that regedit imports on every Windows the program serves.
#pragma once

#include <string>
#include <string_view>

#include "registry/registry_overlay.h"
#include "sheet/run_state.h"

namespace tunora {

inline constexpr std::string_view kUndoFileName = "\\TUNORAUNDO.REG";

// The file for what `overlay` recorded, REGEDIT4 with CRLF line ends.
// `deletions`: this Windows' regedit deletes keys ("[-KEY]") and values
// ("NAME"=-), as 2000/XP's does; elsewhere those lines are comments that
// tell the user what to delete by hand.
std::string UndoFileText(const RegistryOverlay& overlay, bool deletions);

// Runs Apply's writers against an overlay of the registry (messages are
// not shown) and writes the undo file from what they would change. False
// when the file could not be written.
bool WriteApplyUndoFile(App& app);

}  // namespace tunora
