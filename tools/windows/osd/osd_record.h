// The record the agent sends the OSD program by WM_COPYDATA (copy-data id 0, 1044 bytes,
// little-endian): the text, four numbers, the text colour and the font face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kx::osd {

inline constexpr std::size_t kRecordSize = 1044;
inline constexpr std::size_t kTextOffset = 0;
inline constexpr std::size_t kTextBytes = 512;
inline constexpr std::size_t kParam1Offset = 512;
inline constexpr std::size_t kDisplayTimeOffset = 516;  // the second number
inline constexpr std::size_t kParam3Offset = 520;
inline constexpr std::size_t kColourOffset = 524;
inline constexpr std::size_t kFontHeightOffset = 528;  // the fifth number
inline constexpr std::size_t kFontFaceOffset = 532;
inline constexpr std::size_t kFontFaceBytes = 512;

// What the OSD program makes of the record.
struct OsdRequest {
  std::u16string text;      // at most 255 characters
  std::uint32_t displayMs;  // how long the text stays, 100 to 60000 ms
  std::uint32_t colour;     // COLORREF 0x00BBGGRR
  int fontHeight;           // character height in pixels, 8 to 200
  std::u16string fontFace;  // empty: the program's own face
};

// Reads a record; nothing when the copy-data id or the size is not the record's.
std::optional<OsdRequest> DecodeOsdRecord(std::uintptr_t copyDataId,
                                          std::span<const std::uint8_t> bytes);

}  // namespace kx::osd
