// The custom resolution the Monitor Profile page leaves for Apply, written
// into the display driver's mode list with its 60 Hz timing record: into
// the maker's display-class instances on Windows 98/ME, into the driver's
// first device key on 2000/XP. NT 4 gets nothing.
#pragma once

#include <string_view>

#include "settings/settings_context.h"
#include "sheet/run_state.h"

namespace tunora {

inline constexpr std::string_view kSingleResolutionsValue = "Qxg.SingleResolutions";
// The list is read into a buffer of this size and extended only while it
// holds this many bytes at most.
inline constexpr std::uint32_t kSingleResolutionsBuffer = 255;
inline constexpr std::uint32_t kSingleResolutionsMaxToExtend = 249;

// Windows 98/ME: for each of the maker's display-class instances, the mode
// keys "MODES\<depth>\<H>,<V>" (depths 32, 24, 16, 8) with refresh rate 60
// and the timing record under "Settings\VideoParameters". False when
// creating a key failed (instances visited before stay written).
bool AddCustomMode9x(const SettingsContext& context, std::string_view horizontal_text,
                     std::string_view vertical_text);

// Windows 2000/XP: the timing record as "Graphic.<H>.<V>" ("Default.Graphic."
// for drivers with the old value names) in the chip family's first device
// key, and the pair appended to "Qxg.SingleResolutions". 1 when it ended
// normally (also when no device key opened), 0 when the list was left
// unextended.
int AddCustomModeNt(const SettingsContext& context, std::string_view horizontal_text,
                    std::string_view vertical_text);

// Apply's custom-mode step: the pending pair, when both values were chosen,
// through the writer of the running road. The result is not examined.
void WriteCustomMode(App& app, Registry& registry);

}  // namespace tunora
