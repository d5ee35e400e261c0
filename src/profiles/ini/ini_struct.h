// Struct values: two upper-case hex digits per byte, then the two digits of the checksum (the
// sum of the bytes modulo 256).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kx::profiles {

std::u16string FormatStructValue(std::span<const std::uint8_t> bytes);
// Fills out from a stored value of exactly 2 * out.size() + 2 hex digits (either case) with
// the right checksum. Anything else (too short, too long, a character that is no hex digit, a
// wrong checksum) is refused and leaves out unchanged.
bool ParseStructValue(std::u16string_view value, std::span<std::uint8_t> out);

}  // namespace kx::profiles
