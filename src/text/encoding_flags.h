// The flag word a decoded text carries: how the file was encoded, and the document's own
// name-comparison flag that travels in the same word.
#pragma once

#include <cstdint>

namespace kx::text {

inline constexpr std::uint32_t Utf16LeFile = 0x01;  // began with FF FE; read as 16-bit units
inline constexpr std::uint32_t Utf8Bom = 0x04;      // began with EF BB BF
inline constexpr std::uint32_t IgnoreCase = 0x08;   // tag names compare ignoring ASCII case
inline constexpr std::uint32_t Reading = 0x10;      // set while LoadTextFile has the file open
inline constexpr std::uint32_t Utf16BeFile = 0x80;  // began with FE FF; units are byte-swapped

}  // namespace kx::text
