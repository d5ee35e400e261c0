// The settings and profile files of the data folder as they lie on the disk, for comparing
// what a save left with the versions before and after it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace kx::hardening {

using Bytes = std::vector<std::uint8_t>;
// Each file by its path below the data folder.
using FileState = std::map<std::string, Bytes>;

// A replacement still being written: a hidden file beside its target, named ".<file>.kxtmp...".
inline bool IsTemporaryFile(const std::filesystem::path& path) {
  return path.filename().string().find(".kxtmp") != std::string::npos;
}

inline Bytes ReadHostBytes(const std::filesystem::path& path) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return {};
  Bytes bytes(static_cast<std::size_t>(size));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

inline void WriteHostBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Every regular file below folder except replacements left half-done.
inline FileState ReadFileState(const std::filesystem::path& folder) {
  FileState state;
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return state;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && !IsTemporaryFile(entry.path())) {
      state[std::filesystem::relative(entry.path(), folder).generic_string()] =
          ReadHostBytes(entry.path());
    }
  }
  return state;
}

// Empties folder and writes state into it.
inline void WriteFileState(const std::filesystem::path& folder, const FileState& state) {
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  for (const auto& [relative, bytes] : state)
    WriteHostBytes(folder / relative, bytes);
}

}  // namespace kx::hardening
