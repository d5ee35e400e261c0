#include "platform/platform.h"

namespace kx {

namespace os::detail {
PlatformServices g_services;
}  // namespace os::detail

void InstallPlatform(const PlatformServices* services) {
  os::detail::g_services = services != nullptr ? *services : PlatformServices{};
}

const PlatformServices& InstalledPlatform() {
  return os::detail::g_services;
}

}  // namespace kx
