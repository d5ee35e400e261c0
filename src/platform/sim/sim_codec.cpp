#include "platform/sim/sim_codec.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>

#include <climits>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/sim/sim_codec_pages.h"
#include "platform/sim/sim_codec_utf8.h"
#include "platform/text_util.h"

namespace kx::sim {

namespace {

using codec::PageKind;
using codec::PageSource;
using codec::PageTable;
using codec::WideOutput;

constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_MACCP = 2;
constexpr UINT CP_THREAD_ACP = 3;

int Fail(DWORD error) {
  os::Errors().SetLastError(error);
  return 0;
}

bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

// Bytes produced: counted always, written while they fit (capacity 0: count only).
struct ByteOutput {
  char* dst = nullptr;
  std::int64_t capacity = 0;
  std::int64_t count = 0;
  void Put(std::uint8_t byte) {
    if (count < capacity) dst[count] = static_cast<char>(byte);
    ++count;
  }
};

// A lead byte takes the next byte as its trail, whatever it is, except a NUL or the end: then
// the lead alone gives the page's default character.
bool DecodeTable(const PageTable& t, const std::uint8_t* bytes, std::size_t count,
                 WideOutput& out) {
  bool valid = true;
  for (std::size_t i = 0; i < count;) {
    const std::uint8_t b = bytes[i];
    if (!t.lead[b]) {
      out.Put(t.single[b]);
      ++i;
    } else if (i + 1 < count && bytes[i + 1] != 0) {
      char16_t unit = t.pairs[static_cast<std::size_t>(t.pairRow[b])][bytes[i + 1]];
      if (unit == codec::kUndefinedPair) {
        unit = t.defaultChar;
        valid = false;
      }
      out.Put(unit);
      i += 2;
    } else {
      out.Put(t.defaultChar);
      valid = false;
      ++i;
    }
  }
  return valid;
}

struct IcuConverter {
  explicit IcuConverter(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    handle = ucnv_open(name, &error);
    if (U_FAILURE(error)) handle = nullptr;
  }
  ~IcuConverter() {
    if (handle != nullptr) ucnv_close(handle);
  }
  IcuConverter(const IcuConverter&) = delete;
  IcuConverter& operator=(const IcuConverter&) = delete;
  UConverter* handle;
};

// Stateful encodings (ISO-2022, HZ, ISCII, UTF-7, EBCDIC with shifts) as one stream.
bool DecodeStateful(const PageSource& page, const char* bytes, std::size_t count, WideOutput& out) {
  IcuConverter converter(page.icuName);
  if (converter.handle == nullptr || count > INT_MAX) return false;
  UErrorCode error = U_ZERO_ERROR;
  const int length = static_cast<int>(count);
  int needed = ucnv_toUChars(converter.handle, nullptr, 0, bytes, length, &error);
  if (error != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(error)) return false;
  std::u16string units(static_cast<std::size_t>(needed) + 1, u'\0');
  error = U_ZERO_ERROR;
  ucnv_reset(converter.handle);
  needed = ucnv_toUChars(converter.handle, units.data(), static_cast<int>(units.size()), bytes,
                         length, &error);
  for (int i = 0; i < needed; ++i)
    out.Put(units[static_cast<std::size_t>(i)]);
  return true;
}

// Each UTF-16 unit the page lacks becomes the page's own "?": a character outside the BMP
// gives two.
struct SubstituteContext {
  bool used = false;
};

void SubstitutePerUnit(const void* context, UConverterFromUnicodeArgs* args, const UChar* codeUnits,
                       int32_t length, UChar32, UConverterCallbackReason reason,
                       UErrorCode* error) {
  (void)codeUnits;
  if (reason > UCNV_IRREGULAR) return;
  static_cast<SubstituteContext*>(const_cast<void*>(context))->used = true;
  *error = U_ZERO_ERROR;
  static const UChar question = u'?';
  for (int32_t i = 0; i < length && U_SUCCESS(*error); ++i) {
    const UChar* from = &question;
    ucnv_cbFromUWriteUChars(args, &from, &question + 1, 0, error);
  }
}

bool EncodeStateful(const PageSource& page, const char16_t* units, std::size_t count,
                    ByteOutput& out, bool* usedDefault) {
  IcuConverter converter(page.icuName);
  if (converter.handle == nullptr || count > INT_MAX / 2) return false;
  SubstituteContext context;
  UErrorCode error = U_ZERO_ERROR;
  ucnv_setFromUCallBack(converter.handle, SubstitutePerUnit, &context, nullptr, nullptr, &error);
  std::string bytes(count * 8 + 16, '\0');
  const int length = ucnv_fromUChars(converter.handle, bytes.data(), static_cast<int>(bytes.size()),
                                     units, static_cast<int>(count), &error);
  if (U_FAILURE(error)) return false;
  for (int i = 0; i < length; ++i)
    out.Put(static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]));
  *usedDefault = context.used;
  return true;
}

}  // namespace

SimTextCodec::SimTextCodec() = default;
SimTextCodec::~SimTextCodec() = default;

const PageTable& SimTextCodec::Table(const PageSource& page) const {
  std::lock_guard lock(mutex_);
  auto& table = tables_[page.codePage];
  if (!table) table = codec::BuildTable(page);
  return *table;
}

namespace {

const PageSource* Resolve(UINT codePage, UINT ansi) {
  switch (codePage) {
    case CP_ACP:
    case CP_THREAD_ACP:
      codePage = ansi;
      break;
    case CP_OEMCP:
      codePage = 437;
      break;
    case CP_MACCP:
      codePage = 10000;
      break;
    default:
      break;
  }
  return codec::FindPage(codePage);
}

}  // namespace

int SimTextCodec::MultiByteToWideChar(UINT codePage, DWORD flags, const char* src, int srcLength,
                                      char16_t* dst, int dstCapacity) const {
  if (src == nullptr || srcLength == 0 || dstCapacity < 0 || (dst == nullptr && dstCapacity > 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const PageSource* page = Resolve(codePage, AnsiCodePage());
  if (page == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::size_t count =
      srcLength < 0 ? std::strlen(src) + 1 : static_cast<std::size_t>(srcLength);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(src);

  WideOutput out{dst, dstCapacity, 0};
  bool valid = true;
  switch (page->kind) {
    case PageKind::Utf8:
      valid = codec::DecodeUtf8(bytes, count, out);
      break;
    case PageKind::Ascii7:
      for (std::size_t i = 0; i < count; ++i)
        out.Put(bytes[i] & 0x7F);
      break;
    case PageKind::SingleByte:
    case PageKind::DoubleByte:
      valid = DecodeTable(Table(*page), bytes, count, out);
      break;
    case PageKind::Stateful:
      if (!DecodeStateful(*page, src, count, out)) return Fail(ERROR_INVALID_PARAMETER);
      break;
  }
  if ((flags & MB_ERR_INVALID_CHARS) != 0 && !valid) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  if (out.count > INT_MAX) return Fail(ERROR_INVALID_PARAMETER);
  if (dstCapacity > 0 && out.count > dstCapacity) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(out.count);
}

int SimTextCodec::WideCharToMultiByte(UINT codePage, const char16_t* src, int srcLength, char* dst,
                                      int dstCapacity, bool* usedDefault) const {
  if (src == nullptr || srcLength == 0 || dstCapacity < 0 || (dst == nullptr && dstCapacity > 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const PageSource* page = Resolve(codePage, AnsiCodePage());
  if (page == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const std::size_t count = srcLength < 0 ? std::char_traits<char16_t>::length(src) + 1
                                          : static_cast<std::size_t>(srcLength);

  ByteOutput out{dst, dstCapacity, 0};
  bool defaulted = false;
  switch (page->kind) {
    case PageKind::Utf8:
      for (char c : ToUtf8(std::u16string_view(src, count)))
        out.Put(static_cast<std::uint8_t>(c));
      break;
    case PageKind::Ascii7:
      for (std::size_t i = 0; i < count; ++i) {
        const bool fits = src[i] < 0x80;
        defaulted |= !fits;
        out.Put(fits ? static_cast<std::uint8_t>(src[i]) : '?');
      }
      break;
    case PageKind::SingleByte:
    case PageKind::DoubleByte: {
      const PageTable& t = Table(*page);
      for (std::size_t i = 0; i < count; ++i) {
        // A surrogate pair is one character the page lacks, but each of its halves becomes
        // one default character.
        std::uint16_t bytes = IsSurrogate(src[i]) ? PageTable::kNoBytes : t.reverse[src[i]];
        if (bytes == PageTable::kNoBytes) {
          bytes = t.defaultBytes;
          defaulted = true;
        }
        if (bytes > 0xFF) out.Put(static_cast<std::uint8_t>(bytes >> 8));
        out.Put(static_cast<std::uint8_t>(bytes & 0xFF));
      }
      break;
    }
    case PageKind::Stateful:
      if (!EncodeStateful(*page, src, count, out, &defaulted)) return Fail(ERROR_INVALID_PARAMETER);
      break;
  }
  if (usedDefault != nullptr) *usedDefault = defaulted;
  if (out.count > INT_MAX) return Fail(ERROR_INVALID_PARAMETER);
  if (dstCapacity > 0 && out.count > dstCapacity) return Fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(out.count);
}

}  // namespace kx::sim
