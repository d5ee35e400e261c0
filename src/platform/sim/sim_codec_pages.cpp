#include "platform/sim/sim_codec_pages.h"

#include <iconv.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <cerrno>

namespace kx::sim::codec {

namespace {

using K = PageKind;

// ICU's windows-* tables follow the Windows ones closely; its IBM tables stand in for the
// OEM and EBCDIC pages. iconv fills bytes ICU leaves undefined, and stands alone for the pages
// ICU lacks.
const std::vector<PageSource> kPages = {
    {37, K::SingleByte, "ibm-37", "IBM037", true},
    {420, K::SingleByte, "ibm-420", "IBM420", true},
    {437, K::SingleByte, "ibm-437", "CP437", false},
    {500, K::SingleByte, "ibm-500", "IBM500", true},
    {708, K::SingleByte, "ASMO-708", "ISO-8859-6", false},
    {720, K::SingleByte, "ibm-720", nullptr, false},
    {737, K::SingleByte, "ibm-737", "CP737", false},
    {775, K::SingleByte, "ibm-775", "CP775", false},
    {850, K::SingleByte, "ibm-850", "CP850", false},
    {852, K::SingleByte, "ibm-852", "CP852", false},
    {857, K::SingleByte, "ibm-857", "CP857", false},
    {861, K::SingleByte, "ibm-861", "CP861", false},
    {862, K::SingleByte, "ibm-862", "CP862", false},
    {866, K::SingleByte, "ibm-866", "CP866", false},
    {869, K::SingleByte, "ibm-869", "CP869", false},
    {870, K::SingleByte, "ibm-870", "IBM870", true},
    {874, K::SingleByte, "windows-874", "CP874", false},
    {875, K::SingleByte, "ibm-875", "IBM875", true},
    {932, K::DoubleByte, "windows-932", nullptr, false},
    {936, K::DoubleByte, "windows-936", nullptr, false},
    {949, K::DoubleByte, "windows-949", nullptr, false},
    {950, K::DoubleByte, "windows-950", nullptr, false},
    {1026, K::SingleByte, "ibm-1026", "IBM1026", true},
    {1141, K::SingleByte, "ibm-1141", "IBM1141", true},
    {1142, K::SingleByte, "ibm-1142", "IBM1142", true},
    {1143, K::SingleByte, "ibm-1143", "IBM1143", true},
    {1144, K::SingleByte, "ibm-1144", "IBM1144", true},
    {1145, K::SingleByte, "ibm-1145", "IBM1145", true},
    {1146, K::SingleByte, "ibm-1146", "IBM1146", true},
    {1147, K::SingleByte, "ibm-1147", "IBM1147", true},
    {1148, K::SingleByte, "ibm-1148", "IBM1148", true},
    {1149, K::SingleByte, "ibm-1149", "IBM1149", true},
    {1250, K::SingleByte, "windows-1250", "CP1250", false},
    {1251, K::SingleByte, "windows-1251", "CP1251", false},
    {1252, K::SingleByte, "windows-1252", "CP1252", false},
    {1253, K::SingleByte, "windows-1253", "CP1253", false},
    {1254, K::SingleByte, "windows-1254", "CP1254", false},
    {1255, K::SingleByte, "windows-1255", "CP1255", false},
    {1256, K::SingleByte, "windows-1256", "CP1256", false},
    {1257, K::SingleByte, "windows-1257", "CP1257", false},
    {1258, K::SingleByte, "windows-1258", nullptr, false},
    {1361, K::DoubleByte, nullptr, "JOHAB", false},
    {10000, K::SingleByte, "windows-10000", nullptr, false},
    {10006, K::SingleByte, "windows-10006", nullptr, false},
    {10007, K::SingleByte, "windows-10007", nullptr, false},
    {10029, K::SingleByte, "windows-10029", nullptr, false},
    {10079, K::SingleByte, nullptr, "MAC-IS", false},
    {10081, K::SingleByte, "windows-10081", nullptr, false},
    {20106, K::SingleByte, nullptr, "ISO646-DE", true},
    {20108, K::SingleByte, nullptr, "ISO646-NO", true},
    {20127, K::Ascii7, nullptr, nullptr, false},
    {20273, K::SingleByte, "ibm-273", "IBM273", true},
    {20277, K::SingleByte, "ibm-277", "IBM277", true},
    {20278, K::SingleByte, "ibm-278", "IBM278", true},
    {20280, K::SingleByte, "ibm-280", "IBM280", true},
    {20284, K::SingleByte, "ibm-284", "IBM284", true},
    {20285, K::SingleByte, "ibm-285", "IBM285", true},
    {20290, K::SingleByte, "ibm-290", "IBM290", true},
    {20423, K::SingleByte, nullptr, "IBM423", true},
    {20424, K::SingleByte, "ibm-424", "IBM424", true},
    {20838, K::SingleByte, "ibm-838", nullptr, true},
    {20866, K::SingleByte, "windows-20866", "KOI8-R", false},
    {20871, K::SingleByte, "ibm-871", "IBM871", true},
    {20873, K::SingleByte, "ibm-871", "IBM871", true},
    {20880, K::SingleByte, nullptr, "IBM880", true},
    {20905, K::SingleByte, nullptr, "IBM905", true},
    {21025, K::SingleByte, "ibm-1025", "IBM1025", true},
    {21866, K::SingleByte, "windows-21866", "KOI8-U", false},
    {28591, K::SingleByte, "ISO-8859-1", nullptr, false},
    {28592, K::SingleByte, "windows-28592", "ISO-8859-2", false},
    {28593, K::SingleByte, "windows-28593", "ISO-8859-3", false},
    {28594, K::SingleByte, "windows-28594", "ISO-8859-4", false},
    {28595, K::SingleByte, "windows-28595", "ISO-8859-5", false},
    {28596, K::SingleByte, "windows-28596", "ISO-8859-6", false},
    {28597, K::SingleByte, "windows-28597", "ISO-8859-7", false},
    {28598, K::SingleByte, "windows-28598", "ISO-8859-8", false},
    {28599, K::SingleByte, "windows-28599", "ISO-8859-9", false},
    {28605, K::SingleByte, "windows-28605", "ISO-8859-15", false},
    {38598, K::SingleByte, "windows-28598", "ISO-8859-8", false},
    {50220, K::Stateful, "ISO_2022,locale=ja,version=4", nullptr, false},
    {50221, K::Stateful, "ISO_2022,locale=ja,version=4", nullptr, false},
    {50222, K::Stateful, "ISO_2022,locale=ja,version=4", nullptr, false},
    {50225, K::Stateful, "ISO-2022-KR", nullptr, false},
    {50930, K::Stateful, "ibm-930", nullptr, true},
    {50933, K::Stateful, "ibm-933", nullptr, true},
    {50935, K::Stateful, "ibm-935", nullptr, true},
    {50937, K::Stateful, "ibm-937", nullptr, true},
    {50939, K::Stateful, "ibm-939", nullptr, true},
    {51932, K::Stateful, "EUC-JP", nullptr, false},
    {51936, K::DoubleByte, "windows-936", nullptr, false},
    {51949, K::DoubleByte, "windows-51949", nullptr, false},
    {52936, K::Stateful, "HZ", nullptr, false},
    {57002, K::Stateful, "windows-57002", nullptr, false},
    {57003, K::Stateful, "windows-57003", nullptr, false},
    {57004, K::Stateful, "windows-57004", nullptr, false},
    {57005, K::Stateful, "windows-57005", nullptr, false},
    {57006, K::Stateful, "windows-57006", nullptr, false},
    {57007, K::Stateful, "windows-57007", nullptr, false},
    {57008, K::Stateful, "windows-57008", nullptr, false},
    {57009, K::Stateful, "windows-57009", nullptr, false},
    {57010, K::Stateful, "windows-57010", nullptr, false},
    {57011, K::Stateful, "windows-57011", nullptr, false},
    {65000, K::Stateful, "UTF-7", nullptr, false},
    {65001, K::Utf8, nullptr, nullptr, false},
};

// Bytes whose Windows meaning differs from the libraries' tables: first..last map to
// consecutive characters from `to`.
struct ByteFix {
  UINT codePage;
  std::uint8_t first, last;
  char16_t to;
};

constexpr ByteFix kByteFixes[] = {
    // Undefined bytes the system maps into the private use area.
    {874, 0xDB, 0xDE, 0xF8C1},
    {874, 0xFC, 0xFF, 0xF8C5},
    {1253, 0xAA, 0xAA, 0xF8F9},
    {1253, 0xD2, 0xD2, 0xF8FA},
    {1253, 0xFF, 0xFF, 0xF8FB},
    {1255, 0xD9, 0xDF, 0xF88D},
    {1255, 0xFB, 0xFC, 0xF894},
    {1255, 0xFF, 0xFF, 0xF896},
    {1257, 0xA1, 0xA1, 0xF8FC},
    {1257, 0xA5, 0xA5, 0xF8FD},
    {28597, 0xA4, 0xA5, 0xF7C2},
    {28597, 0xAA, 0xAA, 0xF7C4},
    {28597, 0xAE, 0xAE, 0xF7C5},
    {28597, 0xD2, 0xD2, 0xF7C6},
    {28597, 0xFF, 0xFF, 0xF7C7},
    {10000, 0xF0, 0xF0, 0xF8FF},
    // Single bytes of the double-byte pages.
    {932, 0x80, 0x80, 0x0080},
    {932, 0xA0, 0xA0, 0xF8F0},
    {932, 0xFD, 0xFF, 0xF8F1},
    {936, 0x80, 0x80, 0x20AC},
    {936, 0xFF, 0xFF, 0xF8F5},
    {51936, 0x80, 0x80, 0x20AC},
    {51936, 0xFF, 0xFF, 0xF8F5},
    {949, 0x80, 0x80, 0x0080},
    {949, 0xFF, 0xFF, 0xF8F7},
    {950, 0x80, 0x80, 0x0080},
    {950, 0xFF, 0xFF, 0xF8F8},
    // Where the IBM tables differ from the Windows OEM tables.
    {437, 0xE6, 0xE6, 0x00B5},
    {861, 0xE6, 0xE6, 0x00B5},
    {862, 0xE6, 0xE6, 0x00B5},
    {869, 0xEF, 0xEF, 0x0384},
    {1255, 0xCA, 0xCA, 0x05BA},
};

// One conversion source: an ICU converter or an iconv descriptor, decoding one to a few bytes.
class Decoder {
 public:
  enum class Outcome { Ok, Truncated, Invalid };

  Decoder(const char* icuName, const char* iconvName) {
    if (icuName != nullptr) {
      UErrorCode error = U_ZERO_ERROR;
      icu_ = ucnv_open(icuName, &error);
      if (U_FAILURE(error)) icu_ = nullptr;
      if (icu_ != nullptr) {
        ucnv_setToUCallBack(icu_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
        ucnv_setFromUCallBack(icu_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
      }
    }
    if (iconvName != nullptr) iconv_ = iconv_open("UTF-16LE", iconvName);
  }
  ~Decoder() {
    if (icu_ != nullptr) ucnv_close(icu_);
    if (iconv_ != reinterpret_cast<iconv_t>(-1)) iconv_close(iconv_);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  bool HasIcu() const { return icu_ != nullptr; }
  bool HasIconv() const { return iconv_ != reinterpret_cast<iconv_t>(-1); }

  // Exactly one UTF-16 unit from all of the bytes.
  Outcome Icu(const std::uint8_t* bytes, int count, char16_t* unit) {
    UChar out[4];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetToUnicode(icu_);
    int n = ucnv_toUChars(icu_, out, 4, reinterpret_cast<const char*>(bytes), count, &error);
    if (error == U_TRUNCATED_CHAR_FOUND) return Outcome::Truncated;
    if (U_FAILURE(error) || n != 1) return Outcome::Invalid;
    *unit = out[0];
    return Outcome::Ok;
  }

  Outcome Iconv(const std::uint8_t* bytes, int count, char16_t* unit) {
    iconv(iconv_, nullptr, nullptr, nullptr, nullptr);
    std::uint8_t in[4];
    std::copy_n(bytes, count, in);
    char* inPtr = reinterpret_cast<char*>(in);
    std::size_t inLeft = static_cast<std::size_t>(count);
    std::uint8_t out[8];
    char* outPtr = reinterpret_cast<char*>(out);
    std::size_t outLeft = sizeof(out);
    std::size_t result = iconv(iconv_, &inPtr, &inLeft, &outPtr, &outLeft);
    if (result == static_cast<std::size_t>(-1)) {
      return errno == EINVAL ? Outcome::Truncated : Outcome::Invalid;
    }
    if (inLeft != 0 || sizeof(out) - outLeft != 2) return Outcome::Invalid;
    *unit = static_cast<char16_t>(out[0] | (out[1] << 8));
    return Outcome::Ok;
  }

  // The library's own choice of bytes for a character (ICU only), or 0 bytes.
  int Encode(char16_t unit, std::uint8_t* bytes) {
    if (icu_ == nullptr) return 0;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_resetFromUnicode(icu_);
    char out[8];
    int n = ucnv_fromUChars(icu_, out, sizeof(out), &unit, 1, &error);
    if (U_FAILURE(error) || n < 1 || n > 2) return 0;
    std::copy_n(reinterpret_cast<std::uint8_t*>(out), n, bytes);
    return n;
  }

 private:
  UConverter* icu_ = nullptr;
  iconv_t iconv_ = reinterpret_cast<iconv_t>(-1);
};

// One byte: from ICU, else iconv; a byte neither defines is left for the caller.
Decoder::Outcome DecodeSingle(Decoder& decoder, std::uint8_t byte, char16_t* unit) {
  Decoder::Outcome outcome = Decoder::Outcome::Invalid;
  if (decoder.HasIcu()) outcome = decoder.Icu(&byte, 1, unit);
  if (outcome == Decoder::Outcome::Invalid && decoder.HasIconv()) {
    outcome = decoder.Iconv(&byte, 1, unit);
  }
  return outcome;
}

void BuildReverse(Decoder& decoder, PageTable& t) {
  t.reverse.assign(0x10000, PageTable::kNoBytes);
  std::vector<std::uint8_t> seen(0x10000, 0);
  auto note = [&](char16_t unit) {
    if (seen[unit] < 2) ++seen[unit];
  };
  for (int b = 0; b < 256; ++b) {
    if (!t.lead[b]) note(t.single[b]);
  }
  for (const auto& row : t.pairs) {
    for (int trail = 1; trail < 256; ++trail) {
      if (row[trail] != kUndefinedPair) note(row[trail]);
    }
  }
  // A character with more than one byte sequence: the library knows which one the system
  // writes.
  for (std::size_t unit = 0; unit < seen.size(); ++unit) {
    std::uint8_t bytes[2];
    if (seen[unit] < 2) continue;
    int n = decoder.Encode(static_cast<char16_t>(unit), bytes);
    if (n == 1) t.reverse[unit] = bytes[0];
    if (n == 2) t.reverse[unit] = static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
  }
  // Everything else: the first sequence that decodes to it.
  for (int b = 0; b < 256; ++b) {
    if (!t.lead[b] && t.reverse[t.single[b]] == PageTable::kNoBytes) {
      t.reverse[t.single[b]] = static_cast<std::uint16_t>(b);
    }
  }
  for (int lead = 0; lead < 256; ++lead) {
    if (t.pairRow[lead] < 0) continue;
    const auto& row = t.pairs[static_cast<std::size_t>(t.pairRow[lead])];
    for (int trail = 1; trail < 256; ++trail) {
      char16_t unit = row[trail];
      if (unit != kUndefinedPair && t.reverse[unit] == PageTable::kNoBytes) {
        t.reverse[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
  }
  if (t.reverse[u'?'] != PageTable::kNoBytes) t.defaultBytes = t.reverse[u'?'];
}

}  // namespace

const std::vector<PageSource>& AllPages() {
  return kPages;
}

const PageSource* FindPage(UINT codePage) {
  for (const PageSource& page : kPages) {
    if (page.codePage == codePage) return &page;
  }
  return nullptr;
}

std::unique_ptr<PageTable> BuildTable(const PageSource& page) {
  auto table = std::make_unique<PageTable>();
  PageTable& t = *table;
  t.pairRow.fill(-1);
  Decoder decoder(page.icuName, page.iconvName);
  const bool doubleByte = page.kind == PageKind::DoubleByte;

  for (int b = 0; b < 256; ++b) {
    auto byte = static_cast<std::uint8_t>(b);
    char16_t unit = 0;
    Decoder::Outcome outcome = DecodeSingle(decoder, byte, &unit);
    if (doubleByte && outcome == Decoder::Outcome::Truncated && b >= 0x80) {
      t.lead[b] = true;
      continue;
    }
    if (outcome != Decoder::Outcome::Ok) {
      // Single bytes never fail on the system; an undefined one gives the same-valued
      // character (the C1 control for the Windows pages).
      unit = static_cast<char16_t>(b);
    }
    if (!page.ownLowHalf && b < 0x80 && unit != b) {
      unit = static_cast<char16_t>(b);  // ASCII stays ASCII, control characters included
    }
    t.single[b] = unit;
  }
  for (const ByteFix& fix : kByteFixes) {
    if (fix.codePage != page.codePage) continue;
    for (int b = fix.first; b <= fix.last; ++b) {
      t.single[b] = static_cast<char16_t>(fix.to + (b - fix.first));
      t.lead[b] = false;
    }
  }

  if (doubleByte) {
    t.defaultChar = page.codePage == 932 ? u'\u30FB' : u'?';
    for (int lead = 0; lead < 256; ++lead) {
      if (!t.lead[lead]) continue;
      t.pairRow[lead] = static_cast<std::int16_t>(t.pairs.size());
      auto& row = t.pairs.emplace_back();
      row.fill(kUndefinedPair);
      for (int trail = 1; trail < 256; ++trail) {
        const std::uint8_t pair[2] = {static_cast<std::uint8_t>(lead),
                                      static_cast<std::uint8_t>(trail)};
        char16_t unit = 0;
        Decoder::Outcome outcome =
            decoder.HasIcu() ? decoder.Icu(pair, 2, &unit) : decoder.Iconv(pair, 2, &unit);
        if (outcome == Decoder::Outcome::Ok) row[trail] = unit;
      }
    }
  }
  BuildReverse(decoder, t);
  return table;
}

}  // namespace kx::sim::codec
