#include "platform/sim/temp_folder.h"

#include <stdlib.h>

#include <string>
#include <system_error>

namespace kx::sim {

TempFolder::TempFolder(std::string_view prefix) {
  std::string pattern =
      (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
}

TempFolder::~TempFolder() {
  if (keep_) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace kx::sim
