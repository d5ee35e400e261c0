#include "platform/paths.h"

#include "platform/files.h"
#include "platform/platform.h"

namespace kx {

PathParts SplitPath(std::u16string_view path) {
  const std::size_t driveEnd = path.size() >= 2 && path[1] == u':' ? 2 : 0;
  const std::size_t separator = path.find_last_of(u"\\/");
  const std::size_t folderEnd =
      separator == std::u16string_view::npos || separator < driveEnd ? driveEnd : separator + 1;
  return PathParts{path.substr(0, folderEnd), path.substr(folderEnd)};
}

std::u16string ModuleFolder() {
  const std::u16string module = os::Files().ModulePath();
  return std::u16string(SplitPath(module).folder);
}

}  // namespace kx
