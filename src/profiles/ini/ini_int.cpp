#include "profiles/ini/ini_int.h"

#include "platform/text_util.h"
#include "profiles/ini/ini_text_rules.h"

namespace kx::profiles {

UINT ParseProfileInt(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (IsIniSpace(text[i]) || text[i] == u'\r' || text[i] == u'\n'))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  UINT value = 0;
  if (i + 1 < text.size() && text[i] == u'0' && text[i + 1] == u'x') {
    for (i += 2; i < text.size() && HexDigitValue(text[i]) >= 0; ++i) {
      value = value * 16u + static_cast<UINT>(HexDigitValue(text[i]));
    }
  } else {
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
      value = value * 10u + static_cast<UINT>(text[i] - u'0');
    }
  }
  return negative ? 0u - value : value;
}

}  // namespace kx::profiles
