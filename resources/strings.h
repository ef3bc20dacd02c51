// String resources.
#pragma once

#include <string_view>

namespace tunora {

inline constexpr std::string_view kProgramName = "tunora";
// String 101: the system-menu entry that opens the about box.
inline constexpr std::string_view kAboutMenuText = "&About Tunora_Util";

}  // namespace tunora
