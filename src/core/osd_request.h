// The agent's side of the OSD record (its layout is in protocol/osd_record.h): the fixed
// numbers, the colour of each setting and the building of a record for a text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/types.h"
#include "protocol/osd_record.h"

namespace kx::core {

// At most this many characters of a text travel; the terminator takes the last unit.
inline constexpr std::size_t kOsdMaxTextChars = protocol::kOsdTextBytes / 2 - 1;

inline constexpr std::uint32_t kOsdParam1 = 0;
inline constexpr std::uint32_t kOsdParam2 = 1500;
inline constexpr std::uint32_t kOsdParam3 = 0;
inline constexpr std::uint32_t kOsdParam5 = 40;
inline constexpr std::u16string_view kOsdFontFace = u"Arial";

using OsdRequest = std::array<std::uint8_t, protocol::kOsdRecordBytes>;

// The text colour for the setting OSD_Color: 1 orange, 2 green, anything else red.
COLORREF OsdColour(int osdColorSetting);

// The record for a text (cut to kOsdMaxTextChars, never inside a surrogate pair) in a colour.
OsdRequest BuildOsdRequest(std::u16string_view text, COLORREF colour);

}  // namespace kx::core
