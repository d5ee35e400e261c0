// The agent's two folders: its program folder and its per-user data folder. Start-up fills
// both buffers once; everything else only reads them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kx::profiles {

inline constexpr std::size_t FOLDER_BUFFER_CHARS = 260;

// The folder of the agent's executable, ending in a backslash.
extern char16_t g_szAppDir[FOLDER_BUFFER_CHARS];
// The per-user data folder: the roaming application-data folder followed by "\Kestrix\".
extern char16_t g_szDataDir[FOLDER_BUFFER_CHARS];

// The suffixes below the application-data folder that the agent uses.
inline constexpr char16_t kDataFolderSuffix[] = u"\\Kestrix\\";
inline constexpr char16_t kProfilesFolderSuffix[] = u"\\Kestrix\\Profiles\\";

// Fills g_szAppDir with the drive and folder of the module path. A folder that does not fit
// the buffer leaves it empty rather than naming a cut, wrong folder.
void InitAppDir();

// The roaming application-data folder followed by suffix (which begins and ends with a
// backslash), after creating every missing folder level of it, outermost first. Creation
// failures are ignored. Empty when the system has no application-data folder: an empty
// folder makes every later file operation fail instead of landing in some other folder.
std::u16string EnsureDataFolder(std::u16string_view suffix);

// g_szDataDir = EnsureDataFolder("\Kestrix\"), or empty when that does not fit the buffer.
void InitDataDir();

// Copies a folder into a buffer; a folder that does not fit leaves the buffer empty.
void SetFolderBuffer(char16_t (&buffer)[FOLDER_BUFFER_CHARS], std::u16string_view folder);

}  // namespace kx::profiles
