#include "text/text_file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

#include "platform/errors.h"
#include "platform/platform.h"
#include "text/encoding_names.h"
#include "text/markup_chars.h"
#include "text/text_convert.h"
#include "text/xml_tokenizer.h"

namespace kx::text {

namespace {

// The system's code for a file too large for a 32-bit size.
constexpr DWORD kErrorFileTooLarge = 223;

std::uint8_t* FindNull(std::uint8_t* units, std::uint8_t* end) {
  void* found = std::memchr(units, 0, static_cast<std::size_t>(end - units));
  return found != nullptr ? static_cast<std::uint8_t*>(found) : end;
}
char16_t* FindNull(char16_t* units, char16_t* end) {
  return std::find(units, end, u'\0');
}

template <typename Unit>
std::int32_t RemoveNulls(Unit* units, std::int32_t count) {
  Unit* end = units + count;
  Unit* firstNull = FindNull(units, end);
  if (firstNull == end) return 0;
  return static_cast<std::int32_t>(end - std::remove(firstNull, end, Unit{0}));
}

void AppendNumber(std::u16string& out, const char16_t* before, std::int64_t value,
                  const char16_t* after) {
  out += before;
  detail::AppendDecimal(out, value);
  out += after;
}

}  // namespace

bool TextFileReader::Open(std::u16string_view path) {
  ResultText.clear();
  stream_ = os::Files().OpenRead(path);
  if (!stream_) {
    ResultText = LastErrorText();
    return false;
  }
  const std::int64_t size = stream_->Size();
  if (size < 0 || size > std::numeric_limits<std::int32_t>::max()) {
    // The sizes are 32-bit: a larger file is refused rather than read in part.
    if (size >= 0) os::Errors().SetLastError(kErrorFileTooLarge);
    ResultText = LastErrorText();
    return false;
  }
  FileSize = static_cast<std::int32_t>(size);
  const std::int32_t n = std::min(FileSize, kExaminedBytes);
  if (n == 0) return true;

  std::uint8_t scratch[kExaminedBytes];
  if (stream_->Read(scratch, static_cast<std::size_t>(n)) != static_cast<std::size_t>(n)) {
    ResultText = LastErrorText();
    return false;
  }

  // A stale UTF-16BE bit from an earlier file would make a byte file read as UTF-16, so all
  // three mark flags start clear.
  Flags &= ~(Utf16LeFile | Utf8Bom | Utf16BeFile);
  UnitSize = 1;
  std::size_t markLength = 0;
  for (const ByteOrderMark& mark : kByteOrderMarks) {
    std::size_t same = 0;
    while (same < mark.length && same < static_cast<std::size_t>(n) &&
           scratch[same] == mark.bytes[same]) {
      ++same;
    }
    if (same == mark.length) {
      Flags |= mark.flag;
      FileSize -= static_cast<std::int32_t>(mark.length);
      UnitSize = mark.unitSize;
      EncodingName = mark.encodingName;
      markLength = mark.length;
      break;
    }
  }
  // Content is read from just behind the mark (from the start when there is none).
  if (static_cast<std::size_t>(n) > markLength) {
    stream_->Seek(static_cast<std::int64_t>(markLength));
  }

  if (markLength == 0) {
    std::u16string head(static_cast<std::size_t>(n), u'\0');
    TextConverter converter{u"UTF-16", u"UTF-8", scratch, n, n, false};
    head.resize(static_cast<std::size_t>(ConvertText(converter, head.data())));
    EncodingName = DeclaredEncoding(head);
    if (EncodingName.empty() && scratch[0] == '<') EncodingName = u"UTF-8";
  }

  if (!EncodingName.empty()) {
    ResultText = EncodingName;
    if (markLength != 0) ResultText += u" BOM +";
    ResultText += u' ';
  }
  return true;
}

bool TextFileReader::ReadUnits(void* buffer) {
  if (stream_->Read(buffer, static_cast<std::size_t>(BytesToRead)) !=
      static_cast<std::size_t>(BytesToRead)) {
    ResultText = LastErrorText();
    return false;
  }
  UnitsRead = BytesToRead / UnitSize;
  AppendNumber(ResultText, u"length ", UnitsRead, u" ");

  const std::int32_t nulls = UnitSize == 1
                                 ? RemoveNulls(static_cast<std::uint8_t*>(buffer), UnitsRead)
                                 : RemoveNulls(static_cast<char16_t*>(buffer), UnitsRead);
  if (nulls > 0) {
    AppendNumber(ResultText, u"(", nulls, u" nulls removed) ");
    UnitsRead -= nulls;
  }

  if (UnitSize == 2) {
    const bool bigEndianFile = (Flags & Utf16BeFile) != 0;
    if (bigEndianFile != (std::endian::native == std::endian::big)) {
      auto* units = static_cast<char16_t*>(buffer);
      for (std::int32_t i = 0; i < UnitsRead; ++i) {
        units[i] = static_cast<char16_t>((units[i] >> 8) | (units[i] << 8));
      }
    }
    if (bigEndianFile) ResultText += u"endian swap ";
  }
  return true;
}

bool TextFileReader::ReadContent(std::u16string& text) {
  ResultText.clear();
  text.clear();
  if (BytesToRead == 0) {
    ResultText = u"0 length ";
    return true;
  }

  if ((Flags & (Utf16LeFile | Utf16BeFile)) != 0) {
    // Read straight into the text. Its room covers every byte, an odd last one included (that
    // one is then dropped).
    const std::int32_t n = BytesToRead / 2;
    text.reserve(static_cast<std::size_t>(n) + static_cast<std::size_t>(n) / 100 + 1);
    text.resize(static_cast<std::size_t>(BytesToRead / 2 + BytesToRead % 2));
    if (!ReadUnits(text.data())) {
      text.clear();
      return false;
    }
    text.resize(static_cast<std::size_t>(UnitsRead));
    return true;
  }

  auto buffer =
      std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(BytesToRead));
  if (!ReadUnits(buffer.get())) return false;

  if (EncodingName.empty()) {
    if (LooksLikeUtf8(buffer.get(), static_cast<std::size_t>(UnitsRead))) EncodingName = u"UTF-8";
    ResultText += u"(used UTF-8 detection) ";
  }
  TextConverter converter{u"UTF-16", EncodingName, buffer.get(), UnitsRead, 0, false};
  // UTF-32 counts its source in 32-bit units; only whole ones are read.
  if (CodePageFromName(EncodingName) == CodePageUtf32) converter.SourceLength = UnitsRead / 4;
  const std::int32_t needed = ConvertText(converter, nullptr);
  text.reserve(static_cast<std::size_t>(needed) + static_cast<std::size_t>(needed) / 100);
  text.resize(static_cast<std::size_t>(needed));
  converter.Capacity = needed;
  const std::int32_t produced = needed > 0 ? ConvertText(converter, text.data()) : 0;
  text.resize(static_cast<std::size_t>(produced));
  AppendNumber(ResultText, u"to ", produced, u" wide chars ");
  return true;
}

void TextFileReader::Close() {
  stream_.reset();
  Flags &= ~Reading;
}

bool LoadTextFile(std::u16string_view path, std::u16string& text, std::u16string* result,
                  std::uint32_t* flags) {
  TextFileReader reader(flags != nullptr ? *flags : 0);
  const bool opened = reader.Open(path);
  std::u16string report = reader.ResultText;
  text.clear();

  bool read = false;
  if (opened) {
    reader.BytesToRead = reader.FileSize;
    read = reader.ReadContent(text);
    reader.Close();
    if (report.empty()) {
      report = reader.EncodingName.empty() ? u"ANSI " : reader.EncodingName + u" ";
    }
    report += reader.ResultText;
    if (flags != nullptr) *flags = reader.Flags;
  } else if (reader.IsOpen()) {
    // Opened, but its first bytes could not be read: the caller still learns the flags.
    reader.Close();
    if (flags != nullptr) *flags = reader.Flags;
  }
  if (result != nullptr) *result = std::move(report);
  return opened && read;
}

}  // namespace kx::text
