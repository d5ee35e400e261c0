// The record the OSD program takes with WM_COPYDATA (identifier 0): the text to show, four
// numbers the OSD program gives their meaning, the text colour and the font face. 1044 bytes,
// little-endian, built byte by byte so its layout never depends on the compiler.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/types.h"

namespace kx::core {

inline constexpr std::size_t kOsdRequestBytes = 1044;
inline constexpr std::size_t kOsdTextOffset = 0;
inline constexpr std::size_t kOsdTextBytes = 512;
inline constexpr std::size_t kOsdParam1Offset = 512;
inline constexpr std::size_t kOsdParam2Offset = 516;
inline constexpr std::size_t kOsdParam3Offset = 520;
inline constexpr std::size_t kOsdColourOffset = 524;
inline constexpr std::size_t kOsdParam5Offset = 528;
inline constexpr std::size_t kOsdFontOffset = 532;
inline constexpr std::size_t kOsdFontBytes = 512;
static_assert(kOsdFontOffset + kOsdFontBytes == kOsdRequestBytes);

// At most this many characters of a text travel; the terminator takes the last unit.
inline constexpr std::size_t kOsdMaxTextChars = kOsdTextBytes / 2 - 1;

inline constexpr std::uint32_t kOsdParam1 = 0;
inline constexpr std::uint32_t kOsdParam2 = 1500;
inline constexpr std::uint32_t kOsdParam3 = 0;
inline constexpr std::uint32_t kOsdParam5 = 40;
inline constexpr std::u16string_view kOsdFontFace = u"Arial";

using OsdRequest = std::array<std::uint8_t, kOsdRequestBytes>;

// The text colour for the setting OSD_Color: 1 orange, 2 green, anything else red.
COLORREF OsdColour(int osdColorSetting);

// The record for a text (cut to kOsdMaxTextChars, never inside a surrogate pair) in a colour.
OsdRequest BuildOsdRequest(std::u16string_view text, COLORREF colour);

}  // namespace kx::core
