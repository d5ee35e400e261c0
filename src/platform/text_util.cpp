#include "platform/text_util.h"

#include <cstdint>

namespace kx {

char16_t SimpleUpper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs upper/lower as even/odd, except for two runs shifted by one.
    bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (oddRun) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
    return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  return c;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && SimpleUpper(a[i]) != SimpleUpper(b[i])) return false;
  }
  return true;
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i];
    char16_t y = b[i];
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 0x20);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 0x20);
    if (x != y) return false;
  }
  return true;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < text.size()) {
    unsigned char b = byte(i);
    std::uint32_t cp = 0;
    std::size_t len = 0;
    if (b < 0x80) {
      cp = b;
      len = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      cp = b & 0x1Fu;
      len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      cp = b & 0x0Fu;
      len = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      cp = b & 0x07u;
      len = 4;
    }
    bool ok = len > 0 && i + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      if ((byte(i + k) & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (byte(i + k) & 0x3Fu);
    }
    if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
               (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) {
      ok = false;
    }
    if (!ok) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::u16string Widen(std::string_view ascii) {
  std::u16string out;
  out.reserve(ascii.size());
  for (char c : ascii)
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace kx
