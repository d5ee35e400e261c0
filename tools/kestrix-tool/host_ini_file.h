// Lets the settings-file engine work on a file named by a host path: the file's folder becomes
// drive C: of a small simulated file system installed for as long as the object lives, so the
// tool reads and writes exactly as the agent does (encodings, atomic replacement).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "platform/sim/sim_codec.h"
#include "platform/sim/sim_errors.h"
#include "platform/sim/sim_files.h"
#include "platform/text_util.h"

namespace kx::tool {

class HostIniFile {
 public:
  explicit HostIniFile(const std::string& hostPath) {
    std::error_code ec;
    std::filesystem::path path = std::filesystem::absolute(hostPath, ec);
    previous_ = InstalledPlatform();
    PlatformServices services = previous_;
    services.errors = &errors_;
    services.codec = &codec_;
    std::filesystem::path folder = path.parent_path();
    // A missing folder is not created: the file then reads as missing and cannot be written.
    if (!ec && path.has_filename() && std::filesystem::is_directory(folder, ec)) {
      files_.emplace(folder, u"C:\\kestrix-tool.exe");
      services.files = &*files_;
      windowsPath_ = u"C:\\" + FromUtf8(path.filename().string());
    }
    InstallPlatform(&services);
  }
  ~HostIniFile() { InstallPlatform(&previous_); }
  HostIniFile(const HostIniFile&) = delete;
  HostIniFile& operator=(const HostIniFile&) = delete;

  // The file's path for the engine; empty when its folder does not exist.
  const std::u16string& WindowsPath() const { return windowsPath_; }

 private:
  sim::SimErrors errors_;
  sim::SimTextCodec codec_;
  std::optional<sim::SimFileSystem> files_;
  std::u16string windowsPath_;
  PlatformServices previous_;
};

}  // namespace kx::tool
