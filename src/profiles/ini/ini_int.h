// Integer reads: the number at the start of a value, parsed as the platform does.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace kx::profiles {

// Leading spaces are skipped, then an optional sign, then "0x" (lower-case x only) for hex or
// else decimal digits, up to the first character that is no digit. The value wraps modulo
// 2^32 and a minus negates it in two's complement. No digits at all gives 0.
UINT ParseProfileInt(std::u16string_view text);

}  // namespace kx::profiles
