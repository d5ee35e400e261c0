// Reading a host file through the simulated desktop, so a tool command runs the agent's own
// code path: the file's host folder is mounted as drive D:.
#pragma once

#include <filesystem>
#include <string>

#include "platform/sim/desktop.h"
#include "platform/sim/temp_folder.h"
#include "platform/text_util.h"

namespace kx::tool {

class HostFileDesktop {
 public:
  explicit HostFileDesktop(const std::string& hostPath) {
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(hostPath, ec);
    const std::filesystem::path folder = file.parent_path();
    if (std::filesystem::is_directory(folder, ec)) {
      desktop_.Files().Mount(u"D:\\", folder);
      windowsPath_ = u"D:\\" + FromUtf8(file.filename().string());
    } else {
      // A missing folder stays missing: the path names one below an empty drive.
      desktop_.Files().Mount(u"D:\\", temp_.Path() / "D");
      windowsPath_ = u"D:\\" + FromUtf8(folder.filename().string()) + u"\\" +
                     FromUtf8(file.filename().string());
    }
  }

  // The file's Windows path on the simulated desktop.
  const std::u16string& WindowsPath() const { return windowsPath_; }

 private:
  sim::TempFolder temp_{"kestrix-tool"};
  sim::Desktop desktop_{{temp_.Path()}};
  std::u16string windowsPath_;
};

}  // namespace kx::tool
