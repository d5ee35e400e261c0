#include "core/osd_request.h"

namespace kx::core {

namespace {

void PutU32(OsdRequest& record, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// UTF-16LE with its terminator; the caller keeps the text short enough for the field.
void PutText(OsdRequest& record, std::size_t offset, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    record[offset + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    record[offset + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
  record[offset + 2 * text.size()] = 0;
  record[offset + 2 * text.size() + 1] = 0;
}

std::u16string_view CutText(std::u16string_view text) {
  if (text.size() <= kOsdMaxTextChars) return text;
  std::size_t length = kOsdMaxTextChars;
  const char16_t last = text[length - 1];
  if (last >= 0xD800 && last <= 0xDBFF) --length;  // keep a surrogate pair whole
  return text.substr(0, length);
}

}  // namespace

COLORREF OsdColour(int osdColorSetting) {
  switch (osdColorSetting) {
    case 1:
      return Rgb(255, 85, 0);
    case 2:
      return Rgb(0, 255, 0);
    default:
      return Rgb(255, 0, 0);
  }
}

OsdRequest BuildOsdRequest(std::u16string_view text, COLORREF colour) {
  OsdRequest record{};
  PutText(record, protocol::kOsdTextOffset, CutText(text));
  PutU32(record, protocol::kOsdParam1Offset, kOsdParam1);
  PutU32(record, protocol::kOsdParam2Offset, kOsdParam2);
  PutU32(record, protocol::kOsdParam3Offset, kOsdParam3);
  PutU32(record, protocol::kOsdColourOffset, colour);
  PutU32(record, protocol::kOsdParam5Offset, kOsdParam5);
  PutText(record, protocol::kOsdFontOffset, kOsdFontFace);
  return record;
}

}  // namespace kx::core
