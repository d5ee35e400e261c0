// The foreground watcher: every two seconds while the keyboard is present, the agent looks at
// the program owning the foreground window and switches to the mode whose profile links it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/types.h"
#include "profiles/records.h"

namespace kx::core {

// Programs that never select a mode, and stop the check when they have the foreground: the
// OSD program's own window, and another agent of the product.
inline constexpr std::array<std::u16string_view, 2> kIgnoredForegroundPrograms = {u"OSD.exe",
                                                                                  u"vanta.exe"};

// The mode whose linked programs name this executable (file name and extension, without
// regard to case; folders are ignored), first in mode then link order; nothing for an
// ignored program or when no link matches. links holds the six modes' lists.
std::optional<BYTE> FindLinkedMode(std::u16string_view exeFile,
                                   const profiles::LINK_EXE_LIST* links);

// The executable file name of the process owning the foreground window; nothing without a
// foreground window, without a process snapshot, or when the process is not in it.
std::optional<std::u16string> ForegroundExecutable();

}  // namespace kx::core
