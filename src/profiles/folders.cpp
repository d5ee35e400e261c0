#include "profiles/folders.h"

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "profiles/fixed_text.h"

namespace kx::profiles {

char16_t g_szAppDir[FOLDER_BUFFER_CHARS] = {};
char16_t g_szDataDir[FOLDER_BUFFER_CHARS] = {};

void SetFolderBuffer(char16_t (&buffer)[FOLDER_BUFFER_CHARS], std::u16string_view folder) {
  SetFixedText(buffer, folder.size() < FOLDER_BUFFER_CHARS ? folder : std::u16string_view());
}

void InitAppDir() {
  // Drive and folder parts of the module path, joined again (a path without a separator
  // keeps only its drive).
  SetFolderBuffer(g_szAppDir, ModuleFolder());
}

std::u16string EnsureDataFolder(std::u16string_view suffix) {
  FileSystem& files = os::Files();
  auto base = files.RoamingAppDataFolder();
  if (!base || base->empty()) return {};
  // Visit base + each prefix of the suffix that ends before one of its backslashes: for
  // "\Kestrix\Profiles\" the base itself, then Kestrix, then Kestrix\Profiles.
  for (std::size_t at = suffix.find(u'\\'); at != std::u16string_view::npos;
       at = suffix.find(u'\\', at + 1)) {
    std::u16string level = *base + std::u16string(suffix.substr(0, at));
    DWORD attributes = files.GetAttributes(level);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      files.MakeDirectory(level);
    }
  }
  return *base + std::u16string(suffix);
}

void InitDataDir() {
  SetFolderBuffer(g_szDataDir, EnsureDataFolder(kDataFolderSuffix));
}

}  // namespace kx::profiles
