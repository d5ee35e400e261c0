// The data blocks of the keyboard's two chunked writes, as the profile write fills them.
#pragma once

#include <array>
#include <cstddef>

#include "platform/types.h"

namespace kx::device {

// The key matrix of one mode: one device key code per cell, cell = row x 23 + column (the key's
// matrix code; column 0 holds the six G keys). Only the 6 x 23 cells go to the keyboard; the
// rest of the block is spare.
inline constexpr std::size_t kKeyMatrixBytes = 265;
inline constexpr std::size_t kMatrixRows = 6;
inline constexpr std::size_t kMatrixColumns = 23;
inline constexpr std::size_t kMatrixCells = kMatrixRows * kMatrixColumns;
using KEY_MATRIX = std::array<BYTE, kKeyMatrixBytes>;
static_assert(kMatrixCells == 138 && kMatrixCells <= kKeyMatrixBytes);

// The macro of one key: its two option bytes, then its 240 bytes of macro data.
inline constexpr std::size_t kKeyMacroBytes = 242;
inline constexpr std::size_t kMacroOption1Offset = 0;  // the key record's MacroOption1
inline constexpr std::size_t kMacroOption0Offset = 1;  // the key record's MacroOption0
inline constexpr std::size_t kMacroDataOffset = 2;
inline constexpr std::size_t kMacroDataBytes = 240;
using KEY_MACRO = std::array<BYTE, kKeyMacroBytes>;
static_assert(kMacroDataOffset + kMacroDataBytes == kKeyMacroBytes);

}  // namespace kx::device
