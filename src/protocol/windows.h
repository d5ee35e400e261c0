// Finding the other programs' windows and posting to them.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace kx::protocol {

// The configuration program's inner window: the top-level window titled outer, then inside
// it the first child titled inner. Null when either is missing. Safe on any thread.
HWND FindInnerWindow(std::u16string_view outer, std::u16string_view inner);

// Posts the message to the configuration program's inner window; 1 when it was posted, 0
// when the window is missing.
int NotifyConfigWindow(UINT message, WPARAM wParam, LPARAM lParam);

// Posts the message to the top-level window with that title if there is one; true when posted.
bool PostToTitle(std::u16string_view title, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace kx::protocol
