// Parsing a file into lines and the reading rules.
#include "profiles/ini/ini_document.h"

#include "platform/text_util.h"
#include "profiles/ini/ini_int.h"
#include "profiles/ini/ini_struct.h"
#include "profiles/ini/ini_text_rules.h"

namespace kx::profiles {

IniDocument::IniDocument() : source_(ByteOrderMark(IniEncoding::Utf16Le)), markSize_(2) {}

IniDocument IniDocument::Parse(std::span<const std::uint8_t> bytes) {
  return Parse(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

IniDocument IniDocument::Parse(std::vector<std::uint8_t>&& bytes) {
  IniDocument doc;
  doc.source_ = std::move(bytes);
  DetectedEncoding detected = DetectEncoding(doc.source_);
  doc.encoding_ = detected.encoding;
  doc.markSize_ = detected.markSize;

  const std::size_t unit = UnitSize(doc.encoding_);
  const std::uint8_t* data = doc.source_.data();
  // A UTF-16 file of an odd size ends in half a unit, which belongs to no character.
  const std::size_t limit = doc.markSize_ + (doc.source_.size() - doc.markSize_) / unit * unit;
  std::size_t lineBegin = doc.markSize_;
  auto finish = [&](std::size_t contentEnd, LineBreak lineBreak) {
    Line line;
    line.begin = lineBegin;
    line.end = contentEnd;
    line.lineBreak = lineBreak;
    line.text = DecodeText(doc.encoding_, std::span(data + lineBegin, contentEnd - lineBegin));
    Classify(line);
    doc.lines_.push_back(std::move(line));
  };
  LineBreakFinder breaks(doc.encoding_, doc.source_, limit);
  for (std::size_t i = breaks.Next(lineBegin); i < limit; i = breaks.Next(lineBegin)) {
    LineBreak lineBreak = LineBreak::Lf;
    std::size_t next = i + unit;
    if (UnitAt(doc.encoding_, data + i) == u'\r') {
      lineBreak = LineBreak::Cr;
      if (next < limit && UnitAt(doc.encoding_, data + next) == u'\n') {
        lineBreak = LineBreak::CrLf;
        next += unit;
      }
    }
    finish(i, lineBreak);
    lineBegin = next;
  }
  if (lineBegin < limit) finish(limit, LineBreak::None);
  return doc;
}

void IniDocument::Classify(Line& line) {
  std::u16string_view text = line.text;
  std::size_t begin = 0;
  while (begin < text.size() && IsIniSpace(text[begin]))
    ++begin;
  line.hasValue = false;
  if (begin == text.size()) {
    line.kind = LineKind::Blank;
    return;
  }
  if (text[begin] == u'[') {
    // The name runs to the last ']' of the line; text after it is ignored. Without a ']' the
    // line is no header.
    std::size_t close = text.rfind(u']');
    if (close != std::u16string_view::npos && close > begin) {
      std::u16string_view inside = text.substr(begin + 1, close - begin - 1);
      std::u16string_view name = Trim(inside);
      line.kind = LineKind::Header;
      line.nameBegin = static_cast<std::size_t>(name.data() - text.data());
      line.nameLength = name.size();
      return;
    }
  }
  std::u16string_view content = TrimRight(text.substr(begin));
  line.kind = LineKind::Entry;
  std::size_t equals = content.find(u'=');
  std::u16string_view name = content;
  if (equals != std::u16string_view::npos) {
    name = TrimRight(content.substr(0, equals));
    std::u16string_view value = TrimLeft(content.substr(equals + 1));
    line.hasValue = true;
    line.valueBegin = static_cast<std::size_t>(value.data() - text.data());
    line.valueLength = value.size();
  }
  line.nameBegin = begin;
  line.nameLength = name.size();
}

std::optional<IniDocument::SectionRange> IniDocument::FindSection(std::u16string_view name) const {
  name = Trim(name);
  std::size_t header = std::string::npos;
  if (!name.empty()) {
    // A header without a name ("[]") is never found, not even by the empty name.
    for (std::size_t i = 0; i < lines_.size() && header == std::string::npos; ++i) {
      const Line& line = lines_[i];
      if (line.kind == LineKind::Header && line.nameLength > 0 &&
          EqualsIgnoreAsciiCase(line.Name(), name)) {
        header = i;
      }
    }
    if (header == std::string::npos) return std::nullopt;
  }
  // The empty name stands for the lines before the first header.
  std::size_t first = header == std::string::npos ? 0 : header + 1;
  std::size_t last = first;
  while (last < lines_.size() && lines_[last].kind != LineKind::Header)
    ++last;
  return SectionRange{header, first, last};
}

std::optional<std::size_t> IniDocument::FindEntry(const SectionRange& range,
                                                  std::u16string_view key) const {
  key = Trim(key);
  for (std::size_t i = range.first; i < range.last; ++i) {
    const Line& line = lines_[i];
    if (line.kind == LineKind::Entry && EqualsIgnoreAsciiCase(line.Name(), key)) return i;
  }
  return std::nullopt;
}

const IniDocument::Line* IniDocument::FindEntryLine(std::u16string_view section,
                                                    std::u16string_view key) const {
  auto range = FindSection(section);
  if (!range) return nullptr;
  auto index = FindEntry(*range, key);
  return index ? &lines_[*index] : nullptr;
}

std::optional<std::u16string_view> IniDocument::FindValue(std::u16string_view section,
                                                          std::u16string_view key) const {
  const Line* line = FindEntryLine(section, key);
  if (line == nullptr || !line->hasValue) return std::nullopt;
  return line->Value();
}

std::u16string IniDocument::GetText(std::u16string_view section, std::u16string_view key,
                                    std::u16string_view defaultText) const {
  auto value = FindValue(section, key);
  return value ? ValueForRead(*value) : DefaultForRead(defaultText);
}

UINT IniDocument::GetInt(std::u16string_view section, std::u16string_view key,
                         std::int32_t defaultValue) const {
  auto value = FindValue(section, key);
  if (!value) return static_cast<UINT>(defaultValue);
  std::u16string text = ValueForRead(*value);
  if (text.empty()) return static_cast<UINT>(defaultValue);
  return ParseProfileInt(text);
}

bool IniDocument::GetStruct(std::u16string_view section, std::u16string_view key,
                            std::span<std::uint8_t> out) const {
  auto value = FindValue(section, key);
  return value && ParseStructValue(*value, out);
}

std::vector<std::uint8_t> IniDocument::Serialize() const {
  std::vector<std::uint8_t> out(source_.begin(),
                                source_.begin() + static_cast<std::ptrdiff_t>(markSize_));
  std::size_t total = out.size();
  for (const Line& line : lines_)
    total += (line.owned ? line.bytes.size() : line.end - line.begin) + 4;
  out.reserve(total);
  for (const Line& line : lines_) {
    if (line.owned) {
      out.insert(out.end(), line.bytes.begin(), line.bytes.end());
    } else {
      out.insert(out.end(), source_.begin() + static_cast<std::ptrdiff_t>(line.begin),
                 source_.begin() + static_cast<std::ptrdiff_t>(line.end));
    }
    switch (line.lineBreak) {
      case LineBreak::None:
        break;
      case LineBreak::Cr:
        AppendEncoded(encoding_, u"\r", out);
        break;
      case LineBreak::Lf:
        AppendEncoded(encoding_, u"\n", out);
        break;
      case LineBreak::CrLf:
        AppendEncoded(encoding_, u"\r\n", out);
        break;
    }
  }
  return out;
}

}  // namespace kx::profiles
