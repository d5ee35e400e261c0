#include "text/text_convert.h"

#include <cstring>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/text_codec.h"
#include "text/encoding_names.h"

namespace kx::text {

namespace {

std::int32_t CodePageOf(const std::u16string& name) {
  std::int32_t codePage = CodePageFromName(name);
  return codePage < 0 ? 0 : codePage;
}

// UTF-32 is not a system code page: each 32-bit unit becomes one UTF-16 unit or a surrogate
// pair. Values past U+10FFFF are not checked; their pair bits are simply masked.
std::int32_t FromUtf32(const TextConverter& converter, char16_t* destination) {
  const auto* bytes = static_cast<const std::uint8_t*>(converter.Source);
  std::int64_t produced = 0;
  bool writing = destination != nullptr && converter.Capacity > 0;
  for (std::int32_t i = 0; i < converter.SourceLength; ++i) {
    std::uint32_t v;
    std::memcpy(&v, bytes + static_cast<std::size_t>(i) * 4, 4);
    int units = v < 0x10000 ? 1 : 2;
    if (writing) {
      if (produced + units > converter.Capacity) return static_cast<std::int32_t>(produced);
      if (units == 1) {
        destination[produced] = static_cast<char16_t>(v);
      } else {
        destination[produced] = static_cast<char16_t>(0xD800 | (((v - 0x10000) >> 10) & 0x3FF));
        destination[produced + 1] = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
      }
    }
    produced += units;
  }
  return static_cast<std::int32_t>(produced);
}

}  // namespace

std::int32_t ConvertText(TextConverter& converter, char16_t* destination) {
  converter.UsedDefaultChar = false;
  std::int32_t produced = 0;
  std::int32_t target = CodePageOf(converter.TargetEncoding);
  std::int32_t source = CodePageOf(converter.SourceEncoding);
  if (destination == nullptr) converter.Capacity = 0;
  if (target != CodePageUtf16 || converter.SourceLength <= 0 || converter.Source == nullptr) {
    produced = 0;
  } else if (source == CodePageUtf32) {
    produced = FromUtf32(converter, destination);
  } else if (source == CodePageUtf16) {
    // Wide to wide would need the system's wide-to-multibyte conversion with 1200 as its
    // target, which the system refuses.
    produced = 0;
  } else {
    produced = os::Codec().MultiByteToWideChar(
        static_cast<UINT>(source), 0, static_cast<const char*>(converter.Source),
        converter.SourceLength, converter.Capacity > 0 ? destination : nullptr, converter.Capacity);
  }
  converter.Capacity = produced;
  return produced;
}

bool LooksLikeUtf8(const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count && bytes[i] != 0;) {
    std::uint8_t lead = bytes[i++];
    if (lead < 0x80) continue;
    std::size_t follow;
    if ((lead & 0x20) == 0) {
      follow = 1;
    } else if ((lead & 0x10) == 0) {
      follow = 2;
    } else if ((lead & 0x08) == 0) {
      follow = 3;
    } else {
      return false;
    }
    for (; follow > 0; --follow, ++i) {
      if (i >= count || (bytes[i] & 0x80) == 0) return false;
    }
  }
  return true;
}

std::u16string LastErrorText() {
  std::u16string text = os::Errors().SystemMessage(os::Errors().GetLastError());
  std::size_t lineBreak = text.find_first_of(u"\r\n");
  if (lineBreak != std::u16string::npos) text.resize(lineBreak);
  return text;
}

}  // namespace kx::text
