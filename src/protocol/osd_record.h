// The record the agent sends the OSD program with WM_COPYDATA (identifier 0): the text to
// show, four numbers the OSD program gives their meaning, the text colour and the font face.
// 1044 bytes, little-endian, read and written by offset so the layout never depends on the
// compiler. The agent builds it; the OSD programs (ours on Windows and the simulated one)
// read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace kx::protocol {

inline constexpr std::size_t kOsdRecordBytes = 1044;
inline constexpr std::size_t kOsdTextOffset = 0;
inline constexpr std::size_t kOsdTextBytes = 512;
inline constexpr std::size_t kOsdParam1Offset = 512;
inline constexpr std::size_t kOsdParam2Offset = 516;  // the display time
inline constexpr std::size_t kOsdParam3Offset = 520;
inline constexpr std::size_t kOsdColourOffset = 524;
inline constexpr std::size_t kOsdParam5Offset = 528;  // the font height
inline constexpr std::size_t kOsdFontOffset = 532;
inline constexpr std::size_t kOsdFontBytes = 512;
static_assert(kOsdFontOffset + kOsdFontBytes == kOsdRecordBytes);

struct OsdRecord {
  std::u16string text;
  std::uint32_t param1 = 0;
  std::uint32_t param2 = 0;
  std::uint32_t param3 = 0;
  std::uint32_t colour = 0;  // 0x00BBGGRR
  std::uint32_t param5 = 0;
  std::u16string fontFace;
};

// Nothing unless the record is exactly 1044 bytes. A text without a terminator in its field
// is taken up to the field's end.
std::optional<OsdRecord> ReadOsdRecord(std::span<const std::uint8_t> bytes);

}  // namespace kx::protocol
