// Conversion of encoded bytes to wide (UTF-16) text, the UTF-8 plausibility check, and the
// system's text for the last error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kx::text {

// One conversion request. Source units are bytes for a byte encoding, 16-bit units for UTF-16
// and 32-bit units for UTF-32.
struct TextConverter {
  std::u16string TargetEncoding;  // only "UTF-16" is produced
  std::u16string SourceEncoding;  // empty: the system ANSI code page
  const void* Source = nullptr;
  std::int32_t SourceLength = 0;  // in source units
  // In: the destination's room in target units (0 asks only for the size). Out: the units
  // produced, or needed.
  std::int32_t Capacity = 0;
  bool UsedDefaultChar = false;  // the system had to substitute a character
};

// Converts the converter's source into destination (null or Capacity 0: only counts). Returns
// the number of UTF-16 units produced or needed, also stored in converter.Capacity; 0 when the
// code page cannot be converted or the destination is too small.
std::int32_t ConvertText(TextConverter& converter, char16_t* destination);

// Whether bytes look like UTF-8: every byte of 0x80 or more starts a sequence whose length its
// high bits give, and that many bytes with the top bit set follow. Stops at a zero byte.
bool LooksLikeUtf8(const std::uint8_t* bytes, std::size_t count);

// The system's message for the calling thread's last error, up to its first line break.
std::u16string LastErrorText();

}  // namespace kx::text
