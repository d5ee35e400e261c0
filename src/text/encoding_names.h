// Encoding names as they appear in XML declarations and HTML meta charsets, mapped to Windows
// code page numbers.
#pragma once

#include <cstdint>
#include <string_view>

namespace kx::text {

// Any name that begins with "UTF-32" (in exactly that case) means UTF-32, which the system's
// conversion does not know; the text converter handles it itself.
inline constexpr std::int32_t CodePageUtf32 = 65005;
// UTF-16 little-endian, the wide text itself.
inline constexpr std::int32_t CodePageUtf16 = 1200;

// The code page of an encoding name: 0 for the empty name, CodePageUtf32 for "UTF-32...", the
// table's code page for a known name (ASCII letters compared without case), -1 for an unknown
// name or one of 100 characters or more.
std::int32_t CodePageFromName(std::u16string_view name);

}  // namespace kx::text
