#include "platform/sim/sim_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/text_util.h"

namespace kx::sim {

namespace fs = std::filesystem;

namespace {

void SetError(DWORD code) {
  os::Errors().SetLastError(code);
}

bool IsSeparator(char16_t c) {
  return c == u'\\' || c == u'/';
}

bool HasInvalidCharacter(std::u16string_view component) {
  for (char16_t c : component) {
    if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' ||
        c == u'*') {
      return true;
    }
  }
  return false;
}

// Splits an absolute Windows path ("C:\a\b") into its drive and components, the way the
// system normalises it: "/" is a separator too, repeated separators collapse, "." and ".."
// are resolved, and trailing dots and spaces of a name are dropped.
bool SplitWindowsPath(std::u16string_view path, std::vector<std::u16string>* parts, DWORD* error) {
  parts->clear();
  if (path.size() < 2 || path[1] != u':' ||
      !((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'))) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  parts->push_back(std::u16string{SimpleUpper(path[0]), u':'});
  std::u16string current;
  auto flush = [&]() -> bool {
    if (current.empty() || current == u".") {
      current.clear();
      return true;
    }
    if (current == u"..") {
      if (parts->size() > 1) parts->pop_back();
      current.clear();
      return true;
    }
    while (!current.empty() && (current.back() == u'.' || current.back() == u' ')) {
      current.pop_back();
    }
    if (current.empty() || HasInvalidCharacter(current)) {
      *error = ERROR_INVALID_NAME;
      return false;
    }
    parts->push_back(current);
    current.clear();
    return true;
  };
  for (std::size_t i = 2; i < path.size(); ++i) {
    if (IsSeparator(path[i])) {
      if (!flush()) return false;
    } else {
      current.push_back(path[i]);
    }
  }
  return flush();
}

fs::path ResolveComponent(const fs::path& folder, const std::u16string& name) {
  fs::path exact = folder / ToUtf8(name);
  std::error_code ec;
  if (fs::exists(exact, ec)) return exact;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (EqualsIgnoreCase(FromUtf8(it->path().filename().string()), name)) return it->path();
  }
  return exact;
}

class HostFileStream final : public FileStream {
 public:
  explicit HostFileStream(std::FILE* file) : file_(file) {}
  ~HostFileStream() override { std::fclose(file_); }
  std::int64_t Size() override {
    long here = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    long size = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    return size;
  }
  bool Seek(std::int64_t offset) override {
    return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0;
  }
  std::size_t Read(void* buffer, std::size_t count) override {
    std::size_t n = std::fread(buffer, 1, count, file_);
    if (n < count) SetError(std::ferror(file_) ? ERROR_READ_FAULT : ERROR_HANDLE_EOF);
    return n;
  }

 private:
  std::FILE* file_;
};

}  // namespace

SimFileSystem::SimFileSystem(fs::path cDrive, std::u16string modulePath)
    : modulePath_(std::move(modulePath)) {
  Mount(u"C:\\", cDrive);
  appData_ = u"C:\\Users\\User\\AppData\\Roaming";
}

void SimFileSystem::Mount(std::u16string_view windowsFolder, const fs::path& hostFolder) {
  std::vector<std::u16string> parts;
  DWORD error = 0;
  if (!SplitWindowsPath(windowsFolder, &parts, &error)) return;
  std::error_code ec;
  fs::create_directories(hostFolder, ec);
  std::lock_guard lock(mutex_);
  mounts_.push_back(MountPoint{parts, hostFolder});
}

void SimFileSystem::SetRoamingAppData(std::optional<std::u16string> windowsFolder) {
  std::lock_guard lock(mutex_);
  appData_ = std::move(windowsFolder);
}

std::optional<fs::path> SimFileSystem::HostPath(std::u16string_view windowsPath,
                                                DWORD* error) const {
  std::vector<std::u16string> parts;
  DWORD err = 0;
  if (!SplitWindowsPath(windowsPath, &parts, &err)) {
    if (error != nullptr) *error = err;
    return std::nullopt;
  }
  std::lock_guard lock(mutex_);
  const MountPoint* best = nullptr;
  for (const MountPoint& m : mounts_) {
    if (m.components.size() > parts.size()) continue;
    if (best != nullptr && best->components.size() >= m.components.size()) continue;
    bool match = true;
    for (std::size_t i = 0; i < m.components.size() && match; ++i) {
      match = EqualsIgnoreCase(m.components[i], parts[i]);
    }
    if (match) best = &m;
  }
  if (best == nullptr) {
    if (error != nullptr) *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  fs::path host = best->host;
  for (std::size_t i = best->components.size(); i < parts.size(); ++i) {
    host = ResolveComponent(host, parts[i]);
  }
  return host;
}

DWORD SimFileSystem::Fault(FileStep step, std::u16string_view path) const {
  FaultHook hook;
  {
    std::lock_guard lock(mutex_);
    hook = faultHook_;
  }
  return hook ? hook(step, path) : 0;
}

bool SimFileSystem::IsReadOnly(const fs::path& host) const {
  std::lock_guard lock(mutex_);
  for (fs::path p = host;; p = p.parent_path()) {
    if (readOnly_.count(p) > 0) return true;
    if (p == p.parent_path() || p.empty()) return false;
  }
}

std::u16string SimFileSystem::ModulePath() const {
  return modulePath_;
}

std::optional<std::u16string> SimFileSystem::RoamingAppDataFolder() {
  std::optional<std::u16string> folder;
  {
    std::lock_guard lock(mutex_);
    folder = appData_;
  }
  if (!folder) return std::nullopt;
  // CSIDL_FLAG_CREATE: the folder exists afterwards.
  if (auto host = HostPath(*folder)) {
    std::error_code ec;
    fs::create_directories(*host, ec);
  }
  return folder;
}

DWORD SimFileSystem::GetAttributes(std::u16string_view path) const {
  DWORD error = 0;
  auto host = HostPath(path, &error);
  if (!host) {
    SetError(error);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::error_code ec;
  fs::file_status status = fs::status(*host, ec);
  if (ec || !fs::exists(status)) {
    SetError(fs::exists(host->parent_path(), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = fs::is_directory(status) ? FILE_ATTRIBUTE_DIRECTORY : 0x20;  // archive
  if (IsReadOnly(*host)) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes;
}

bool SimFileSystem::MakeDirectory(std::u16string_view path) {
  DWORD error = 0;
  auto host = HostPath(path, &error);
  if (!host) {
    SetError(error);
    return false;
  }
  if (DWORD fault = Fault(FileStep::MakeDirectory, path)) {
    SetError(fault);
    return false;
  }
  std::error_code ec;
  if (fs::exists(*host, ec)) {
    SetError(ERROR_ALREADY_EXISTS);
    return false;
  }
  if (!fs::is_directory(host->parent_path(), ec)) {
    SetError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (IsReadOnly(host->parent_path())) {
    SetError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!fs::create_directory(*host, ec)) {
    SetError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

std::unique_ptr<FileStream> SimFileSystem::OpenRead(std::u16string_view path) {
  DWORD error = 0;
  auto host = HostPath(path, &error);
  if (!host) {
    SetError(error);
    return nullptr;
  }
  if (DWORD fault = Fault(FileStep::Open, path)) {
    SetError(fault);
    return nullptr;
  }
  std::error_code ec;
  if (fs::is_directory(*host, ec)) {
    SetError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::FILE* file = std::fopen(host->c_str(), "rb");
  if (file == nullptr) {
    SetError(fs::is_directory(host->parent_path(), ec) ? ERROR_FILE_NOT_FOUND
                                                       : ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  return std::make_unique<HostFileStream>(file);
}

std::optional<std::vector<std::uint8_t>> SimFileSystem::ReadAll(std::u16string_view path) {
  auto stream = OpenRead(path);
  if (!stream) return std::nullopt;
  if (DWORD fault = Fault(FileStep::Read, path)) {
    SetError(fault);
    return std::nullopt;
  }
  std::int64_t size = stream->Size();
  if (size < 0) {
    SetError(ERROR_READ_FAULT);
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (stream->Read(bytes.data(), bytes.size()) != bytes.size()) return std::nullopt;
  return bytes;
}

bool SimFileSystem::WriteFileAtomically(std::u16string_view path,
                                        std::span<const std::uint8_t> bytes) {
  DWORD error = 0;
  auto host = HostPath(path, &error);
  if (!host) {
    SetError(error);
    return false;
  }
  std::error_code ec;
  fs::path folder = host->parent_path();
  if (!fs::is_directory(folder, ec)) {
    SetError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  if (fs::is_directory(*host, ec) || IsReadOnly(*host)) {
    SetError(ERROR_ACCESS_DENIED);
    return false;
  }
  static thread_local std::mt19937_64 random{std::random_device{}()};
  fs::path temp =
      folder / ("." + host->filename().string() + ".kxtmp" + std::to_string(random() % 1000000000));
  auto fail = [&](DWORD code) {
    fs::remove(temp, ec);
    SetError(code);
    return false;
  };
  if (DWORD fault = Fault(FileStep::WriteTemp, path)) return fail(fault);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return fail(ERROR_ACCESS_DENIED);
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n <= 0) {
      ::close(fd);
      return fail(ERROR_DISK_FULL);
    }
    written += static_cast<std::size_t>(n);
  }
  if (DWORD fault = Fault(FileStep::FlushTemp, path)) {
    ::close(fd);
    return fail(fault);
  }
  bool flushed = ::fsync(fd) == 0;
  ::close(fd);
  if (!flushed) return fail(ERROR_WRITE_FAULT);
  if (DWORD fault = Fault(FileStep::Rename, path)) return fail(fault);
  fs::rename(temp, *host, ec);
  if (ec) return fail(ERROR_ACCESS_DENIED);
  return true;
}

void SimFileSystem::SetReadOnly(std::u16string_view windowsPath, bool readOnly) {
  auto host = HostPath(windowsPath);
  if (!host) return;
  std::lock_guard lock(mutex_);
  if (readOnly) {
    readOnly_.insert(*host);
  } else {
    readOnly_.erase(*host);
  }
}

void SimFileSystem::SetFaultHook(FaultHook hook) {
  std::lock_guard lock(mutex_);
  faultHook_ = std::move(hook);
}

}  // namespace kx::sim
