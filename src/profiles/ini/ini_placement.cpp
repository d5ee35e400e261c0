// Writing: which line a write changes and where a new key or section goes.
#include "profiles/ini/ini_document.h"
#include "profiles/ini/ini_struct.h"
#include "profiles/ini/ini_text_rules.h"

namespace kx::profiles {

namespace {

bool HasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

}  // namespace

IniDocument::Line IniDocument::MakeLine(std::u16string text) const {
  Line line;
  line.owned = true;
  AppendEncoded(encoding_, text, line.bytes);
  // The line reads as the file will: a character an 8-bit file cannot hold reads back as it
  // was stored ('?' in an ANSI file), in the rest of this edit as in the next one.
  line.text = UnitSize(encoding_) == 2 ? std::move(text) : DecodeText(encoding_, line.bytes);
  Classify(line);
  return line;
}

void IniDocument::Terminate(std::size_t index) {
  if (index < lines_.size() && lines_[index].lineBreak == LineBreak::None) {
    lines_[index].lineBreak = LineBreak::CrLf;
  }
}

void IniDocument::InsertLine(std::size_t index, std::u16string text) {
  if (index > 0) Terminate(index - 1);
  Line line = MakeLine(std::move(text));
  line.lineBreak = LineBreak::CrLf;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index), std::move(line));
}

void IniDocument::ReplaceLine(std::size_t index, std::u16string text) {
  Line line = MakeLine(std::move(text));
  line.lineBreak = lines_[index].lineBreak;
  lines_[index] = std::move(line);
}

IniDocument::Change IniDocument::SetText(std::u16string_view section, std::u16string_view key,
                                         std::u16string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key)) return Change::Refused;
  section = TrimLeft(section);
  key = TrimLeft(key);
  value = TrimLeft(value);
  value = value.substr(0, value.find_first_of(u"\r\n"));

  auto range = FindSection(section);
  if (!range) {
    // A new section goes at the end of the file, without a blank line before it.
    std::size_t end = lines_.size();
    InsertLine(end, u"[" + std::u16string(section) + u"]");
    InsertLine(end + 1, std::u16string(key) + u"=" + std::u16string(value));
    modified_ = true;
    return Change::Changed;
  }
  if (auto index = FindEntry(*range, key)) {
    const Line& line = lines_[*index];
    // Writing the value a key already has leaves the file as it is.
    if (line.hasValue && line.Value() == value) return Change::Unchanged;
    // The key keeps the spelling it has in the file.
    ReplaceLine(*index, std::u16string(line.Name()) + u"=" + std::u16string(value));
    modified_ = true;
    return Change::Changed;
  }
  // A new key goes right after the last non-blank line of its section (whatever that line
  // is), or right after the header of an empty section.
  std::size_t at = range->header == std::string::npos ? 0 : range->header + 1;
  for (std::size_t i = range->first; i < range->last; ++i) {
    if (lines_[i].kind != LineKind::Blank) at = i + 1;
  }
  InsertLine(at, std::u16string(key) + u"=" + std::u16string(value));
  modified_ = true;
  return Change::Changed;
}

IniDocument::Change IniDocument::SetStruct(std::u16string_view section, std::u16string_view key,
                                           std::span<const std::uint8_t> bytes) {
  return SetText(section, key, FormatStructValue(bytes));
}

}  // namespace kx::profiles
