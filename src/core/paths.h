// Path helpers of the agent core; splitting a path and the program's folder are the
// platform's (platform/paths.h).
#pragma once

#include <string>
#include <string_view>

#include "platform/paths.h"

namespace kx::core {

// text with every occurrence of what removed.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view what);

}  // namespace kx::core
