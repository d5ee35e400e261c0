#include "platform/sim/sim_codec.h"

#include <string>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/text_util.h"

namespace kx::sim {

namespace {

// Code page 1252 bytes 0x80..0x9F; the five undefined ones map to the C1 control of the same
// value, as the system does.
constexpr char16_t k1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int Emit(const std::u16string& out, char16_t* dst, int dstCapacity) {
  if (dstCapacity == 0) return static_cast<int>(out.size());
  if (static_cast<int>(out.size()) > dstCapacity) {
    os::Errors().SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(out.begin(), out.end(), dst);
  return static_cast<int>(out.size());
}

}  // namespace

int SimTextCodec::MultiByteToWideChar(UINT codePage, DWORD, const char* src, int srcLength,
                                      char16_t* dst, int dstCapacity) const {
  if (codePage == CP_ACP) codePage = AnsiCodePage();
  std::size_t n =
      srcLength < 0 ? std::char_traits<char>::length(src) + 1 : static_cast<std::size_t>(srcLength);
  std::u16string out;
  if (codePage == 1252) {
    for (std::size_t i = 0; i < n; ++i) {
      auto b = static_cast<unsigned char>(src[i]);
      out.push_back(b >= 0x80 && b < 0xA0 ? k1252High[b - 0x80] : static_cast<char16_t>(b));
    }
  } else if (codePage == CP_UTF8) {
    out = FromUtf8(std::string_view(src, n));
  } else {
    os::Errors().SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return Emit(out, dst, dstCapacity);
}

int SimTextCodec::WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                                      int dstCapacity, bool* usedDefault) const {
  if (codePage == CP_ACP) codePage = AnsiCodePage();
  std::size_t n = srcLength < 0 ? std::char_traits<char16_t>::length(src) + 1
                                : static_cast<std::size_t>(srcLength);
  std::string out;
  bool defaulted = false;
  if (codePage == 1252) {
    for (std::size_t i = 0; i < n; ++i) {
      char16_t c = src[i];
      int byte = -1;
      if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) byte = c;
      for (int k = 0; byte < 0 && k < 32; ++k) {
        if (k1252High[k] == c) byte = 0x80 + k;
      }
      if (byte < 0) {
        // A surrogate pair is one character the page lacks, but the system writes one '?' for
        // each of its halves.
        byte = '?';
        defaulted = true;
      }
      out.push_back(static_cast<char>(byte));
    }
  } else if (codePage == CP_UTF8) {
    out = ToUtf8(std::u16string_view(src, n));
  } else {
    os::Errors().SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (usedDefault != nullptr) *usedDefault = defaulted;
  if (dstCapacity == 0) return static_cast<int>(out.size());
  if (static_cast<int>(out.size()) > dstCapacity) {
    os::Errors().SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(out.begin(), out.end(), dst);
  return static_cast<int>(out.size());
}

}  // namespace kx::sim
