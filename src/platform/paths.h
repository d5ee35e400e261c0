// Windows paths split the way the system's path splitter does: a drive ("C:"), a folder up to
// its last backslash or slash, and the file name with its extension; and the folder of the
// running program.
#pragma once

#include <string>
#include <string_view>

namespace kx {

struct PathParts {
  std::u16string_view folder;    // drive and folder, with the trailing separator
  std::u16string_view fileName;  // name and extension
};

PathParts SplitPath(std::u16string_view path);

// The folder of the running program's executable (drive and folder of its module path).
std::u16string ModuleFolder();

}  // namespace kx
