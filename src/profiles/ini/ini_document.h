// A settings or profile file in memory, read and changed by the rules of the system's
// private-profile functions, so the agent and the configuration program see the same values
// in the same bytes.
//
// Reading: sections and keys match without regard to ASCII case; the first of duplicate
// sections or keys wins; a line without "=" is a name without a value; there is no comment
// syntax. Writing changes only the line it sets, or adds one where the platform adds it; every
// other byte of the file stays as it was, and the file keeps its encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"
#include "profiles/ini/ini_encoding.h"

namespace kx::profiles {

class IniDocument {
 public:
  // An empty file as the agent creates it: UTF-16LE with the mark FF FE.
  IniDocument();
  // A file's bytes in any of the encodings of ini_encoding.h.
  static IniDocument Parse(std::span<const std::uint8_t> bytes);
  static IniDocument Parse(std::vector<std::uint8_t>&& bytes);

  IniEncoding Encoding() const { return encoding_; }
  // True once a write changed something.
  bool Modified() const { return modified_; }
  // The file now holds this content: later writes count as changes again only if they change
  // something.
  void MarkSaved() { modified_ = false; }

  // The stored value of a key (trimmed, quotes kept); nothing when the section or key is
  // missing or the key's line has no "=".
  std::optional<std::u16string_view> FindValue(std::u16string_view section,
                                               std::u16string_view key) const;
  // GetPrivateProfileString: the unquoted value cut at 2047 characters, or the default.
  std::u16string GetText(std::u16string_view section, std::u16string_view key,
                         std::u16string_view defaultText) const;
  // GetPrivateProfileInt: the number at the start of the value; the default when the value is
  // missing or empty.
  UINT GetInt(std::u16string_view section, std::u16string_view key,
              std::int32_t defaultValue) const;
  // GetPrivateProfileStruct: fills out only from a well-formed value of the right length.
  bool GetStruct(std::u16string_view section, std::u16string_view key,
                 std::span<std::uint8_t> out) const;

  enum class Change { Unchanged, Changed, Refused };
  // WritePrivateProfileString. Leading spaces of the names and the value are dropped, trailing
  // ones written as given. A value is cut at its first line break, so a write never adds
  // lines of its own; a section or key name with a line break is refused.
  Change SetText(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  // WritePrivateProfileStruct: the bytes as hex digits with their checksum.
  Change SetStruct(std::u16string_view section, std::u16string_view key,
                   std::span<const std::uint8_t> bytes);

  // The whole file as bytes, in its encoding with its byte-order mark.
  std::vector<std::uint8_t> Serialize() const;

 private:
  enum class LineKind { Blank, Header, Entry };
  enum class LineBreak { None, Cr, Lf, CrLf };

  struct Line {
    std::u16string text;  // without the line break
    LineBreak lineBreak = LineBreak::None;
    // The bytes of the content: a range of source_ for lines as read, owned for lines written.
    std::size_t begin = 0;
    std::size_t end = 0;
    bool owned = false;
    std::vector<std::uint8_t> bytes;
    // What the line is, by the reading rules.
    LineKind kind = LineKind::Blank;
    std::size_t nameBegin = 0;
    std::size_t nameLength = 0;
    std::size_t valueBegin = 0;
    std::size_t valueLength = 0;
    bool hasValue = false;

    std::u16string_view Name() const {
      return std::u16string_view(text).substr(nameBegin, nameLength);
    }
    std::u16string_view Value() const {
      return std::u16string_view(text).substr(valueBegin, valueLength);
    }
  };

  // Lines first..last of a section, after its header (header is npos for the lines before
  // the first header).
  struct SectionRange {
    std::size_t header;
    std::size_t first;
    std::size_t last;
  };

  static void Classify(Line& line);
  std::optional<SectionRange> FindSection(std::u16string_view name) const;
  std::optional<std::size_t> FindEntry(const SectionRange& range, std::u16string_view key) const;
  const Line* FindEntryLine(std::u16string_view section, std::u16string_view key) const;

  Line MakeLine(std::u16string text) const;
  void Terminate(std::size_t index);
  void InsertLine(std::size_t index, std::u16string text);
  void ReplaceLine(std::size_t index, std::u16string text);

  std::vector<std::uint8_t> source_;
  IniEncoding encoding_ = IniEncoding::Utf16Le;
  std::size_t markSize_ = 0;
  std::vector<Line> lines_;
  bool modified_ = false;
};

}  // namespace kx::profiles
