// The agent's side of the on-screen display: the OSD program ("OSD.exe" beside the agent) owns
// the display window; the agent starts it when its window is missing and hands it each text.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/types.h"

namespace kx::core {

inline constexpr std::u16string_view kOsdProgramFile = u"OSD.exe";
inline constexpr int kOsdStartAttempts = 5;
inline constexpr std::uint32_t kOsdStartWaitMs = 500;

// Finds the OSD window (starting the program up to five times, 500 ms apart, while it is
// missing) and sends it the text with WM_COPYDATA; blocks until the OSD program has taken it.
// Without a window after the fifth start the text is dropped. True when the text was sent.
bool ShowOsd(std::u16string_view text, COLORREF colour);

}  // namespace kx::core
