// Which buttons a message box of a given type has, which one Enter
// chooses and what Escape does: the rules every UI that answers message
// boxes for a script follows.
#pragma once

#include <cstdint>
#include <vector>

namespace tunora::sim {

// Buttons by type (MB_OK, MB_OKCANCEL, MB_YESNOCANCEL, ...), left to right.
std::vector<int> MessageBoxButtons(std::uint32_t type);
// The one Enter chooses.
int MessageBoxDefault(std::uint32_t type);
// Escape's result, or 0 when Escape does nothing (MB_YESNO).
int MessageBoxEscape(std::uint32_t type);

}  // namespace tunora::sim
