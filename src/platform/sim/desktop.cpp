#include "platform/sim/desktop.h"

#include <system_error>

namespace kx::sim {

namespace {

std::filesystem::path OrDefault(const std::filesystem::path& given,
                                const std::filesystem::path& fallback) {
  return given.empty() ? fallback : given;
}

}  // namespace

Desktop::Desktop(DesktopOptions options)
    : options_(std::move(options)),
      clock_(options_.realTime),
      windows_(clock_),
      files_(options_.root / "C",
             std::u16string(kProgramFolder) + u"\\" + std::u16string(kAgentExe)),
      registry_(options_.root / "registry.reg"),
      processes_(windows_),
      shell_(files_, processes_, windows_, clock_),
      keyboard_(clock_, windows_),
      graphics_(windows_) {
  previous_ = InstalledPlatform();
  PlatformServices services;
  services.windows = &windows_;
  services.clock = &clock_;
  services.debug = &debug_;
  services.sync = &sync_;
  services.errors = &errors_;
  services.files = &files_;
  services.registry = &registry_;
  services.shell = &shell_;
  services.system = &system_;
  services.processes = &processes_;
  services.codec = &codec_;
  services.hid = &keyboard_;
  services.graphics = &graphics_;
  InstallPlatform(&services);

  files_.Mount(kProgramFolder, HostProgramFolder());
  files_.Mount(kAppDataFolder, HostAppData());
  processes_.AddProcess(kAgentProcessId, kAgentExe);
  windows_.SetCreatingProcess(kAgentProcessId);
  windows_.SetDestroyHook([this](HWND window) { graphics_.WindowDestroyed(window); });
}

Desktop::~Desktop() {
  // The keyboard's thread reaches the services through the platform: stop it first.
  keyboard_.Shutdown();
  windows_.SetDestroyHook(nullptr);
  InstallPlatform(&previous_);
}

std::filesystem::path Desktop::HostProgramFolder() const {
  return OrDefault(options_.programFolder, options_.root / "C" / "Program Files" / "Kestrix");
}

std::filesystem::path Desktop::HostAppData() const {
  return OrDefault(options_.appData,
                   options_.root / "C" / "Users" / "User" / "AppData" / "Roaming");
}

}  // namespace kx::sim
