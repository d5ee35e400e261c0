#include "profiles/ini/ini_file.h"

#include <vector>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/text_util.h"

namespace kx::profiles {

namespace {

// A drive path ("C:\...") or a network path ("\\server\share\..."). Anything else would be
// resolved against whatever folder the process happens to be in.
bool IsFullPath(std::u16string_view path) {
  bool drive = path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/') &&
               ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  bool network = path.size() >= 3 && path[0] == u'\\' && path[1] == u'\\';
  return drive || network;
}

}  // namespace

IniEdit::IniEdit(std::u16string path) : path_(std::move(path)) {
  if (!IsFullPath(path_)) {
    state_ = State::Unusable;
    return;
  }
  FileSystem& files = os::Files();
  DWORD attributes = files.GetAttributes(path_);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;  // missing
  state_ = State::Unusable;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  auto stream = files.OpenRead(path_);
  if (!stream) return;
  std::int64_t size = stream->Size();
  if (size < 0 || size > kMaxIniFileSize) return;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (stream->Read(bytes.data(), bytes.size()) != bytes.size()) return;
  document_ = IniDocument::Parse(std::move(bytes));
  state_ = State::Loaded;
}

void IniEdit::EnsureFile() {
  if (state_ == State::Missing) create_ = true;
}

void IniEdit::Record(IniDocument::Change change) {
  EnsureFile();
  if (change == IniDocument::Change::Refused) refused_ = true;
}

void IniEdit::WriteText(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) {
  Record(document_.SetText(section, key, value));
}

void IniEdit::WriteInt(std::u16string_view section, std::u16string_view key, std::int32_t value) {
  Record(document_.SetText(section, key, Widen(std::to_string(value))));
}

void IniEdit::WriteStruct(std::u16string_view section, std::u16string_view key,
                          std::span<const std::uint8_t> bytes) {
  Record(document_.SetStruct(section, key, bytes));
}

bool IniEdit::Commit() {
  if (state_ == State::Unusable) return !create_ && !document_.Modified() && !refused_;
  if (create_ || document_.Modified()) {
    std::vector<std::uint8_t> bytes = document_.Serialize();
    if (!os::Files().WriteFileAtomically(path_, bytes)) return false;
    state_ = State::Loaded;
    create_ = false;
    document_.MarkSaved();
  }
  return !refused_;
}

bool IniFile::EnsureFile() const {
  IniEdit edit(path_);
  edit.EnsureFile();
  return edit.Commit();
}

std::u16string IniFile::ReadText(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultText) const {
  return IniEdit(path_).ReadText(section, key, defaultText);
}

UINT IniFile::ReadInt(std::u16string_view section, std::u16string_view key,
                      std::int32_t defaultValue) const {
  return IniEdit(path_).ReadInt(section, key, defaultValue);
}

bool IniFile::ReadStruct(std::u16string_view section, std::u16string_view key,
                         std::span<std::uint8_t> out) const {
  return IniEdit(path_).ReadStruct(section, key, out);
}

bool IniFile::WriteText(std::u16string_view section, std::u16string_view key,
                        std::u16string_view value) const {
  IniEdit edit(path_);
  edit.WriteText(section, key, value);
  return edit.Commit();
}

bool IniFile::WriteInt(std::u16string_view section, std::u16string_view key,
                       std::int32_t value) const {
  IniEdit edit(path_);
  edit.WriteInt(section, key, value);
  return edit.Commit();
}

bool IniFile::WriteStruct(std::u16string_view section, std::u16string_view key,
                          std::span<const std::uint8_t> bytes) const {
  IniEdit edit(path_);
  edit.WriteStruct(section, key, bytes);
  return edit.Commit();
}

}  // namespace kx::profiles
