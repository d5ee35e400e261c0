// The OSD program's reading of the record the agent sends it with WM_COPYDATA: 1044 bytes,
// little-endian, read by offset.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kx::companions {

struct OsdRecord {
  std::u16string text;
  std::uint32_t param1 = 0;
  std::uint32_t param2 = 0;
  std::uint32_t param3 = 0;
  std::uint32_t colour = 0;  // 0x00BBGGRR
  std::uint32_t param5 = 0;
  std::u16string fontFace;
};

inline constexpr std::size_t kOsdRecordBytes = 1044;

// Nothing unless the record is exactly 1044 bytes. A text without a terminator in its field
// is taken up to the field's end.
std::optional<OsdRecord> ReadOsdRecord(std::span<const std::uint8_t> bytes);

}  // namespace kx::companions
