// The record the agent sends the OSD program by WM_COPYDATA (copy-data id 0, 1044 bytes,
// little-endian): the text, four numbers, the text colour and the font face.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/osd_record.h"

namespace kx::osd {

inline constexpr std::size_t kRecordSize = protocol::kOsdRecordBytes;

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
