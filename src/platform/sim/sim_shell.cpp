#include "platform/sim/sim_shell.h"

#include <algorithm>
#include <cstring>

#include "platform/errors.h"
#include "platform/platform.h"
#include "platform/text_util.h"

namespace kx::sim {

namespace {

// An installed component by its product and component codes.
std::u16string ComponentKey(std::u16string_view product, std::u16string_view component) {
  std::u16string key(product);
  key += u'|';
  key += component;
  return key;
}

constexpr std::string_view kLinkMagic = "KXLNK\n";
constexpr std::string_view kAdvertisedMagic = "KXMSI\n";
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x80070002);

std::u16string FileNamePart(std::u16string_view path) {
  std::size_t slash = path.find_last_of(u"\\/");
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

void CopyOut(std::u16string_view text, char16_t* out, std::size_t capacity) {
  std::size_t n = std::min(text.size(), capacity - 1);
  std::copy_n(text.begin(), n, out);
  out[n] = 0;
}

}  // namespace

SimShell::SimShell(SimFileSystem& files, SimProcesses& processes, SimWindowSystem& windows,
                   SimClock& clock)
    : files_(files), processes_(processes), windows_(windows), clock_(clock) {}

std::intptr_t SimShell::Execute(std::u16string_view verb, std::u16string_view file,
                                std::u16string_view parameters, std::u16string_view folder,
                                int show) {
  Launch launch{clock_.NowMs(),
                std::u16string(verb),
                std::u16string(file),
                std::u16string(parameters),
                std::u16string(folder),
                show,
                0};
  DWORD attributes = files_.GetAttributes(file);
  ProgramStart start;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    launch.result = 2;  // the file was not found
  } else {
    launch.result = 42;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      std::u16string name = FileNamePart(file);
      std::lock_guard lock(mutex_);
      for (const auto& [exe, program] : programs_) {
        if (EqualsIgnoreCase(exe, name)) start = program;
      }
    }
  }
  std::function<void(const Launch&)> observer;
  {
    std::lock_guard lock(mutex_);
    launches_.push_back(launch);
    observer = observer_;
  }
  if (observer) observer(launch);
  if (launch.result > 32 && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    DWORD pid = processes_.StartProcess(FileNamePart(file));
    if (start) {
      const CreatingProcessScope creating(windows_, pid);
      start(pid);
    }
  }
  if (launch.result <= 32) os::Errors().SetLastError(ERROR_FILE_NOT_FOUND);
  return launch.result;
}

std::optional<std::vector<std::u16string>> SimShell::ReadShortcut(std::u16string_view path,
                                                                  std::string_view magic) {
  auto bytes = files_.ReadAll(path);
  if (!bytes || bytes->size() < magic.size() ||
      std::memcmp(bytes->data(), magic.data(), magic.size()) != 0) {
    return std::nullopt;
  }
  std::string body(bytes->begin() + static_cast<std::ptrdiff_t>(magic.size()), bytes->end());
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = body.find('\n', start);
    lines.push_back(FromUtf8(body.substr(start, end - start)));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

UINT SimShell::GetAdvertisedShortcutTarget(std::u16string_view shortcut, char16_t* productCode,
                                           char16_t* featureId, char16_t* componentCode) {
  auto lines = ReadShortcut(shortcut, kAdvertisedMagic);
  if (!lines || lines->size() < 3) return ERROR_FUNCTION_FAILED;
  if (productCode != nullptr) CopyOut((*lines)[0], productCode, 260);
  if (featureId != nullptr) CopyOut((*lines)[1], featureId, 260);
  if (componentCode != nullptr) CopyOut((*lines)[2], componentCode, 260);
  return ERROR_SUCCESS;
}

int SimShell::GetComponentPath(std::u16string_view productCode, std::u16string_view componentCode,
                               char16_t* path, DWORD* length) {
  std::lock_guard lock(mutex_);
  auto it = components_.find(ComponentKey(productCode, componentCode));
  if (it == components_.end()) return INSTALLSTATE_UNKNOWN;
  if (path != nullptr && length != nullptr && *length > 0) CopyOut(it->second, path, *length);
  if (length != nullptr) *length = static_cast<DWORD>(it->second.size());
  return INSTALLSTATE_LOCAL;
}

HRESULT SimShell::ResolveShellLink(std::u16string_view path, std::u16string& target) {
  if (files_.GetAttributes(path) == INVALID_FILE_ATTRIBUTES) return kFileNotFound;
  auto lines = ReadShortcut(path, kLinkMagic);
  if (!lines) return E_FAIL;
  target = (*lines)[0].substr(0, 259);
  return S_OK;
}

void SimShell::RegisterProgram(std::u16string_view exeName, ProgramStart start) {
  std::lock_guard lock(mutex_);
  programs_.emplace_back(std::u16string(exeName), std::move(start));
}

std::vector<Launch> SimShell::Launches() const {
  std::lock_guard lock(mutex_);
  return launches_;
}

void SimShell::SetLaunchObserver(std::function<void(const Launch&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

bool SimShell::CreateShellLink(std::u16string_view linkPath, std::u16string_view target) {
  std::string body(kLinkMagic);
  body += ToUtf8(target);
  return files_.WriteFileAtomically(
      linkPath, std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

bool SimShell::CreateAdvertisedShortcut(std::u16string_view linkPath,
                                        std::u16string_view productCode,
                                        std::u16string_view featureId,
                                        std::u16string_view componentCode,
                                        std::u16string_view installedPath) {
  std::string body(kAdvertisedMagic);
  body += ToUtf8(productCode) + "\n" + ToUtf8(featureId) + "\n" + ToUtf8(componentCode);
  {
    std::lock_guard lock(mutex_);
    components_[ComponentKey(productCode, componentCode)] = std::u16string(installedPath);
  }
  return files_.WriteFileAtomically(
      linkPath, std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()));
}

void SimShell::UninstallComponent(std::u16string_view productCode,
                                  std::u16string_view componentCode) {
  std::lock_guard lock(mutex_);
  components_.erase(ComponentKey(productCode, componentCode));
}

}  // namespace kx::sim
