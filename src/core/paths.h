// Splitting Windows paths the way the system's path splitter does: a drive ("C:"), a folder up
// to its last backslash or slash, and the file name with its extension.
#pragma once

#include <string>
#include <string_view>

namespace kx::core {

struct PathParts {
  std::u16string_view folder;    // drive and folder, with the trailing separator
  std::u16string_view fileName;  // name and extension
};

PathParts SplitPath(std::u16string_view path);

// The folder of the agent's executable (drive and folder of its module path).
std::u16string ModuleFolder();

// text with every occurrence of what removed.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view what);

}  // namespace kx::core
