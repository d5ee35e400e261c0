#include "profiles/ini/ini_text_rules.h"

namespace kx::profiles {

std::u16string_view TrimLeft(std::u16string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsIniSpace(text[begin]))
    ++begin;
  return text.substr(begin);
}

std::u16string_view TrimRight(std::u16string_view text) {
  std::size_t end = text.size();
  while (end > 0 && IsIniSpace(text[end - 1]))
    --end;
  return text.substr(0, end);
}

std::u16string_view Trim(std::u16string_view text) {
  return TrimRight(TrimLeft(text));
}

std::u16string_view CutAtNul(std::u16string_view text) {
  std::size_t nul = text.find(u'\0');
  return nul == std::u16string_view::npos ? text : text.substr(0, nul);
}

std::u16string_view StripQuotes(std::u16string_view text) {
  if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') &&
      text.back() == text.front()) {
    return text.substr(1, text.size() - 2);
  }
  return text;
}

namespace {
std::u16string Capped(std::u16string_view text) {
  return std::u16string(text.substr(0, kMaxTextRead));
}
}  // namespace

std::u16string ValueForRead(std::u16string_view storedValue) {
  return Capped(StripQuotes(CutAtNul(storedValue)));
}

std::u16string DefaultForRead(std::u16string_view defaultText) {
  std::u16string_view text = CutAtNul(defaultText);
  std::size_t end = text.size();
  while (end > 1 && IsIniSpace(text[end - 1]))
    --end;
  return Capped(StripQuotes(text.substr(0, end)));
}

}  // namespace kx::profiles
