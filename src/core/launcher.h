// Starting the agent's companion tray program and the programs assigned to keys, following
// shortcuts (shell links and the Windows Installer's advertised shortcuts) to their targets.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kx::core {

inline constexpr std::u16string_view kTrayProgramFile = u"trayicon.exe";
// The 32-bit program folder's marker, dropped from a shortcut's target that does not exist.
inline constexpr std::u16string_view kX86FolderMarker = u" (x86)";
inline constexpr std::uint32_t kAfterLaunchPauseMs = 5;

// Starts "trayicon.exe" from the agent's folder unless a window titled "Kestrix_TrayIcon"
// exists. The result is not looked at: a tray program that will not start stays away.
void StartTrayProgram();

// The target of a shortcut: an advertised shortcut gives its component's installed path, a
// shell link its target path. 1 with target filled, or 0 with target empty (a plain file, a
// link that cannot be read, an advertised product that is not installed).
int ResolveShortcut(std::u16string_view path, std::u16string& target);

// Starts the program of a key: a shortcut is followed to its target (without " (x86)" when
// that target does not exist), anything else is started as it stands.
void LaunchProgram(std::u16string_view path);

}  // namespace kx::core
