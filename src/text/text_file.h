// Reading a whole text file into wide (UTF-16) text, working out its encoding on the way: a
// byte-order mark, an encoding the text declares, the rule for files that begin with a tag, a
// UTF-8 plausibility check, or else the system ANSI code page.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "text/encoding_flags.h"

namespace kx::text {

struct ByteOrderMark {
  std::array<std::uint8_t, 3> bytes;
  std::size_t length;
  std::u16string_view encodingName;
  std::uint32_t flag;
  std::int32_t unitSize;
};

// Tried in this order; the first mark that matches completely wins. UTF-32 marks are not told
// apart: FF FE 00 00 is read as the UTF-16 little-endian mark.
inline constexpr std::array<ByteOrderMark, 3> kByteOrderMarks = {{
    {{0xEF, 0xBB, 0xBF}, 3, u"UTF-8", Utf8Bom, 1},
    {{0xFF, 0xFE, 0x00}, 2, u"UTF-16LE", Utf16LeFile, 2},
    {{0xFE, 0xFF, 0x00}, 2, u"UTF-16BE", Utf16BeFile, 2},
}};

// Only this many leading bytes are examined for a mark, a declaration or a leading "<".
inline constexpr std::int32_t kExaminedBytes = 1024;

// One file read, from open to close. LoadTextFile is the way to use it.
class TextFileReader {
 public:
  explicit TextFileReader(std::uint32_t flags) : Flags(flags | Reading) {}

  // Opens the file and examines its first bytes: mark, declared encoding. The result text then
  // holds the encoding found ("UTF-8 BOM + "), or the system message when this fails.
  bool Open(std::u16string_view path);
  // Reads BytesToRead bytes of content behind the mark into text. The result text then holds
  // the read's report ("length 12 to 12 wide chars "), or the system message.
  bool ReadContent(std::u16string& text);
  // Closes the file and clears Reading.
  void Close();
  bool IsOpen() const { return stream_ != nullptr; }

  std::uint32_t Flags;
  std::int32_t FileSize = 0;  // less the mark once one is found
  std::int32_t BytesToRead = 0;
  std::int32_t UnitSize = 1;  // 1 for byte encodings, 2 for UTF-16
  std::int32_t UnitsRead = 0;
  std::u16string ResultText;
  std::u16string EncodingName;  // a mark's name, "UTF-8", or the declared name as written

 private:
  bool ReadUnits(void* buffer);

  std::unique_ptr<FileStream> stream_;
};

// Reads the file at path into text (emptied first, filled on success). result receives the
// report of what was found and done, also on failure. flags: on input, the bits the reader
// starts with; on output the encoding flags, once the file could be opened. True when the file
// was opened and read completely.
bool LoadTextFile(std::u16string_view path, std::u16string& text, std::u16string* result = nullptr,
                  std::uint32_t* flags = nullptr);

}  // namespace kx::text
