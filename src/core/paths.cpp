#include "core/paths.h"

namespace kx::core {

std::u16string RemoveAll(std::u16string_view text, std::u16string_view what) {
  std::u16string out;
  if (what.empty()) return std::u16string(text);
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(what, start)) != std::u16string_view::npos;) {
    out.append(text.substr(start, found - start));
    start = found + what.size();
  }
  out.append(text.substr(start));
  return out;
}

}  // namespace kx::core
