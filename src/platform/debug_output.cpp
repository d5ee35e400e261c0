#include "platform/debug_output.h"

#include <string>

namespace kx {

void DebugOutput::WriteAscii(std::string_view text) {
  std::u16string wide;
  wide.reserve(text.size());
  for (char c : text)
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  Write(wide);
}

}  // namespace kx
