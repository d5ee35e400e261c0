// Settings and profile files on disk. An IniEdit reads its file once, serves every read and
// write of one operation from memory, and Commit replaces the file in one atomic step
// (temporary file beside it, flushed, renamed), so neither a crash nor a reader running at the
// same time ever sees half of an operation. IniFile offers the single reads and writes, each
// its own operation.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/types.h"
#include "profiles/ini/ini_document.h"

namespace kx::profiles {

// Files larger than this are not read (and so never replaced): a settings or profile file is
// well below a megabyte.
inline constexpr std::int64_t kMaxIniFileSize = 64 * 1024 * 1024;

class IniEdit {
 public:
  // Reads the file at path (a full Windows path). A missing file reads as empty; a file that
  // exists but cannot be read (or a path that is not absolute) reads as empty and refuses
  // every write, so its content is never lost.
  explicit IniEdit(std::u16string path);

  const std::u16string& Path() const { return path_; }
  const IniDocument& Document() const { return document_; }

  std::u16string ReadText(std::u16string_view section, std::u16string_view key,
                          std::u16string_view defaultText) const {
    return document_.GetText(section, key, defaultText);
  }
  UINT ReadInt(std::u16string_view section, std::u16string_view key,
               std::int32_t defaultValue) const {
    return document_.GetInt(section, key, defaultValue);
  }
  bool ReadStruct(std::u16string_view section, std::u16string_view key,
                  std::span<std::uint8_t> out) const {
    return document_.GetStruct(section, key, out);
  }

  // Creates the file (with the mark FF FE and nothing else) on commit if it does not exist.
  void EnsureFile();
  // The writes, in memory; a missing file is created on commit, starting with FF FE.
  void WriteText(std::u16string_view section, std::u16string_view key, std::u16string_view value);
  void WriteInt(std::u16string_view section, std::u16string_view key, std::int32_t value);
  void WriteStruct(std::u16string_view section, std::u16string_view key,
                   std::span<const std::uint8_t> bytes);

  // Replaces the file when a write changed something or the file must be created. True when
  // the file now holds every write (nothing to do counts); false when the file could not be
  // written or a write was refused.
  bool Commit();

 private:
  enum class State { Missing, Loaded, Unusable };

  void Record(IniDocument::Change change);

  std::u16string path_;
  State state_ = State::Missing;
  IniDocument document_;
  bool create_ = false;
  bool refused_ = false;
};

// One file path; each call below is one operation on the file.
class IniFile {
 public:
  explicit IniFile(std::u16string path) : path_(std::move(path)) {}
  const std::u16string& Path() const { return path_; }

  // Creates the file with the mark FF FE when none exists; an existing file is left alone.
  bool EnsureFile() const;
  // The value, or the default when the key is missing; at most 2047 characters.
  std::u16string ReadText(std::u16string_view section, std::u16string_view key,
                          std::u16string_view defaultText) const;
  UINT ReadInt(std::u16string_view section, std::u16string_view key,
               std::int32_t defaultValue) const;
  bool ReadStruct(std::u16string_view section, std::u16string_view key,
                  std::span<std::uint8_t> out) const;
  // Each write ensures the file, sets the key and replaces the file; true on success.
  bool WriteText(std::u16string_view section, std::u16string_view key,
                 std::u16string_view value) const;
  bool WriteInt(std::u16string_view section, std::u16string_view key, std::int32_t value) const;
  bool WriteStruct(std::u16string_view section, std::u16string_view key,
                   std::span<const std::uint8_t> bytes) const;

 private:
  std::u16string path_;
};

}  // namespace kx::profiles
