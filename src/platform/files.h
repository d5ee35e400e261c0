// Files and folders, addressed by Windows paths ("C:\\Users\\...\\config.ini"). The simulated
// desktop maps its drives onto host folders, so every file the agent writes is a real file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kx {

inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// An open file read from start to end (the runtime library's binary stream: open, seek, tell,
// read). Failures set the thread's last error.
class FileStream {
 public:
  virtual ~FileStream() = default;
  virtual std::int64_t Size() = 0;
  virtual bool Seek(std::int64_t offset) = 0;
  // Reads up to count bytes; returns how many arrived (short at the end or on an error).
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // GetModuleFileNameW(null): the full path of the agent's executable.
  virtual std::u16string ModulePath() const = 0;
  // SHGetFolderPathW(CSIDL_APPDATA | CSIDL_FLAG_CREATE): the user's roaming application-data
  // folder without a trailing backslash, created when missing; nothing when the shell has none.
  virtual std::optional<std::u16string> RoamingAppDataFolder() = 0;

  // GetFileAttributesW / FindFirstFileW: INVALID_FILE_ATTRIBUTES when nothing is there.
  virtual DWORD GetAttributes(std::u16string_view path) const = 0;
  // PathFileExistsW.
  bool Exists(std::u16string_view path) const {
    return GetAttributes(path) != INVALID_FILE_ATTRIBUTES;
  }
  // CreateDirectoryW(path, no security): one level; fails when it exists or its parent is missing.
  virtual bool MakeDirectory(std::u16string_view path) = 0;

  // Opens an existing file for reading; null (and the last error set) when that fails.
  virtual std::unique_ptr<FileStream> OpenRead(std::u16string_view path) = 0;
  // The whole content of an existing file; nothing (and the last error set) when it cannot be
  // read.
  virtual std::optional<std::vector<std::uint8_t>> ReadAll(std::u16string_view path) = 0;
  // Replaces the file with bytes in one step: a temporary file beside it is written and
  // flushed, then renamed over the target. No reader and no crash ever sees a half-written
  // file. Fails (last error set) when the folder is missing or not writable, or the target is
  // a folder; the old file is then untouched.
  virtual bool WriteFileAtomically(std::u16string_view path,
                                   std::span<const std::uint8_t> bytes) = 0;
};

}  // namespace kx
