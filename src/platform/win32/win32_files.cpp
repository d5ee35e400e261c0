#include "platform/win32/win32_files.h"

#include "platform/win32/wide.h"

#include <windows.h>

#include <shlobj.h>

// Taken outside our namespace: the system's macro names HANDLE, which means another type in
// ours.
static const ::HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;

namespace kx::win32 {

namespace {

// Closes a kernel handle when it goes.
class ScopedHandle {
 public:
  explicit ScopedHandle(::HANDLE handle) : handle_(handle) {}
  ~ScopedHandle() {
    if (Valid()) ::CloseHandle(handle_);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  bool Valid() const { return handle_ != nullptr && handle_ != kInvalidHandle; }
  ::HANDLE Get() const { return handle_; }

 private:
  ::HANDLE handle_;
};

::HANDLE OpenForReading(std::u16string_view path) {
  // Others may read, write or replace the file meanwhile, as the configuration program does.
  return ::CreateFileW(WideZ(path).Get(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32FileStream final : public FileStream {
 public:
  explicit Win32FileStream(::HANDLE handle) : file_(handle) {}

  std::int64_t Size() override {
    ::LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file_.Get(), &size)) return -1;
    return size.QuadPart;
  }

  bool Seek(std::int64_t offset) override {
    ::LARGE_INTEGER to{};
    to.QuadPart = offset;
    return ::SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) != FALSE;
  }

  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t total = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (total < count) {
      const ::DWORD want = static_cast<::DWORD>(std::min<std::size_t>(count - total, 1u << 30));
      ::DWORD got = 0;
      if (!::ReadFile(file_.Get(), out + total, want, &got, nullptr) || got == 0) break;
      total += got;
    }
    return total;
  }

 private:
  ScopedHandle file_;
};

// The folder part of a path, without its trailing backslash; "." when there is none.
std::u16string FolderOf(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string_view::npos) return u".";
  if (slash == 0 || (slash == 2 && path[1] == u':'))
    return std::u16string(path.substr(0, slash + 1));
  return std::u16string(path.substr(0, slash));
}

}  // namespace

std::u16string Win32FileSystem::ModulePath() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const ::DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<::DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return FromWide(buffer.data(), length);
    buffer.resize(buffer.size() * 2);  // cut short: try a larger buffer
  }
}

std::optional<std::u16string> Win32FileSystem::RoamingAppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                         path) != S_OK) {
    return std::nullopt;
  }
  std::u16string folder = FromWide(path);
  while (folder.size() > 3 && folder.back() == u'\\')
    folder.pop_back();
  return folder;
}

DWORD Win32FileSystem::GetAttributes(std::u16string_view path) const {
  return ::GetFileAttributesW(WideZ(path).Get());
}

bool Win32FileSystem::MakeDirectory(std::u16string_view path) {
  return ::CreateDirectoryW(WideZ(path).Get(), nullptr) != FALSE;
}

std::unique_ptr<FileStream> Win32FileSystem::OpenRead(std::u16string_view path) {
  ::HANDLE handle = OpenForReading(path);
  if (handle == kInvalidHandle) return nullptr;
  return std::make_unique<Win32FileStream>(handle);
}

std::optional<std::vector<std::uint8_t>> Win32FileSystem::ReadAll(std::u16string_view path) {
  std::unique_ptr<FileStream> stream = OpenRead(path);
  if (stream == nullptr) return std::nullopt;
  const std::int64_t size = stream->Size();
  if (size < 0) return std::nullopt;
  if (static_cast<std::uint64_t>(size) > (std::uint64_t{1} << 31)) {
    ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // no file of ours is anywhere near this
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  const std::size_t got = stream->Read(bytes.data(), bytes.size());
  bytes.resize(got);  // a file that shrank meanwhile gives what was there
  return bytes;
}

bool Win32FileSystem::WriteFileAtomically(std::u16string_view path,
                                          std::span<const std::uint8_t> bytes) {
  const WideZ target(path);
  if (const ::DWORD attributes = ::GetFileAttributesW(target.Get());
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    ::SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // The temporary file lies beside the target, so the rename stays on one volume.
  wchar_t temporary[MAX_PATH + 16] = {};
  const WideZ folder(FolderOf(path));
  if (const ::DWORD attributes = ::GetFileAttributesW(folder.Get());
      attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ::SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (::GetTempFileNameW(folder.Get(), L"kx", 0, temporary) == 0) return false;

  bool written = false;
  {
    ScopedHandle file(::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid()) {
      written = true;
      std::size_t done = 0;
      while (written && done < bytes.size()) {
        const ::DWORD chunk =
            static_cast<::DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        ::DWORD put = 0;
        written =
            ::WriteFile(file.Get(), bytes.data() + done, chunk, &put, nullptr) && put == chunk;
        done += put;
      }
      written = written && ::FlushFileBuffers(file.Get());
    }
  }
  if (written &&
      ::MoveFileExW(temporary, target.Get(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const ::DWORD error = ::GetLastError();
  ::DeleteFileW(temporary);
  ::SetLastError(error);
  return false;
}

}  // namespace kx::win32
