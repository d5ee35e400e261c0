// The settings and profile files of the data folder as they lie on the disk, for comparing
// what a save left with the versions before and after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/bytes.h"

namespace kx::hardening {

using testsupport::Bytes;
// Each file by its path below the data folder.
using FileState = std::map<std::string, Bytes>;

// A replacement still being written: a hidden file beside its target, named ".<file>.kxtmp...".
inline bool IsTemporaryFile(const std::filesystem::path& path) {
  return path.filename().string().find(".kxtmp") != std::string::npos;
}

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

// Every regular file below folder except replacements left half-done.
inline FileState ReadFileState(const std::filesystem::path& folder) {
  FileState state;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return state;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && !IsTemporaryFile(entry.path())) {
      state[std::filesystem::relative(entry.path(), folder).generic_string()] =
          ReadHostFile(entry.path());
    }
  }
  return state;
}

// Empties folder and writes state into it.
inline void WriteFileState(const std::filesystem::path& folder, const FileState& state) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [relative, bytes] : state)
    WriteHostFile(folder / relative, bytes);
}

}  // namespace kx::hardening
