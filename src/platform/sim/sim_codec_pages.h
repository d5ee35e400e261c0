// The code pages the simulated desktop converts, where each one's table comes from, and the
// tables themselves: built once per code page from ICU's Windows and IBM tables (or the C
// library's iconv where ICU has none), then corrected to what the Windows conversion gives.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/types.h"

namespace kx::sim::codec {

enum class PageKind {
  SingleByte,  // one byte, one character
  DoubleByte,  // lead bytes take a trail byte
  Stateful,    // shift states or longer sequences: converted by ICU as a stream
  Utf8,
  Ascii7,  // 20127: the high bit is dropped
};

struct PageSource {
  UINT codePage;
  PageKind kind;
  const char* icuName;    // null: ICU has no table
  const char* iconvName;  // null: the C library has none (or is not needed)
  bool ownLowHalf;        // bytes 0x00-0x7F are not plain ASCII (EBCDIC, national ISO 646)
};

// The page the system knows under that number (after resolving CP_ACP and friends), or null
// for a code page the system rejects.
const PageSource* FindPage(UINT codePage);
// Every page the simulated desktop accepts.
const std::vector<PageSource>& AllPages();

// Marks a byte pair the code page does not define; decoding gives the page's default char.
inline constexpr char16_t kUndefinedPair = 0xFFFF;

// The decoding table of a single- or double-byte page.
struct PageTable {
  std::array<char16_t, 256> single{};  // for a lead byte: unused
  std::array<bool, 256> lead{};
  // Per lead byte: its 256 trail values (kUndefinedPair when the pair is not defined).
  std::vector<std::array<char16_t, 256>> pairs;
  std::array<std::int16_t, 256> pairRow{};  // lead byte -> index into pairs, -1 for none
  char16_t defaultChar = u'?';              // what an undefined pair or a lone lead gives
  // The reverse mapping for wide-to-multibyte: per UTF-16 unit, its bytes (a lead byte in the
  // high byte for a pair), or kNoBytes.
  static constexpr std::uint16_t kNoBytes = 0xFFFF;
  std::vector<std::uint16_t> reverse;
  std::uint16_t defaultBytes = '?';  // the page's own "?"
};

// Builds the table of a SingleByte or DoubleByte page.
std::unique_ptr<PageTable> BuildTable(const PageSource& page);

}  // namespace kx::sim::codec
