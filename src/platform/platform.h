// The platform services the agent runs on, installed once by the backend (the simulated
// desktop or the Windows backend) before any agent code runs. Agent code reaches them only
// through the accessors below, never through an OS header.
#pragma once

#include <cassert>

namespace kx {

class WindowSystem;
class Clock;
class DebugOutput;
class Sync;
class Errors;
class FileSystem;
class Registry;
class Shell;
class SystemSettings;
class Processes;
class TextCodec;
class HidLibrary;
class Graphics;

struct PlatformServices {
  WindowSystem* windows = nullptr;
  Clock* clock = nullptr;
  DebugOutput* debug = nullptr;
  Sync* sync = nullptr;
  Errors* errors = nullptr;
  FileSystem* files = nullptr;
  Registry* registry = nullptr;
  Shell* shell = nullptr;
  SystemSettings* system = nullptr;
  Processes* processes = nullptr;
  TextCodec* codec = nullptr;
  HidLibrary* hid = nullptr;
  Graphics* graphics = nullptr;
};

// Installs the services (copied); null uninstalls. Not thread-safe: done before threads start.
void InstallPlatform(const PlatformServices* services);
const PlatformServices& InstalledPlatform();

namespace os {

namespace detail {
extern PlatformServices g_services;
template <typename T>
T& Need(T* service) {
  assert(service != nullptr && "platform service not installed");
  return *service;
}
}  // namespace detail

inline kx::WindowSystem& Windows() {
  return detail::Need(detail::g_services.windows);
}
inline kx::Clock& Clock() {
  return detail::Need(detail::g_services.clock);
}
inline kx::DebugOutput& Debug() {
  return detail::Need(detail::g_services.debug);
}
inline kx::Sync& Sync() {
  return detail::Need(detail::g_services.sync);
}
inline kx::Errors& Errors() {
  return detail::Need(detail::g_services.errors);
}
inline kx::FileSystem& Files() {
  return detail::Need(detail::g_services.files);
}
inline kx::Registry& Registry() {
  return detail::Need(detail::g_services.registry);
}
inline kx::Shell& Shell() {
  return detail::Need(detail::g_services.shell);
}
inline kx::SystemSettings& System() {
  return detail::Need(detail::g_services.system);
}
inline kx::Processes& Processes() {
  return detail::Need(detail::g_services.processes);
}
inline kx::TextCodec& Codec() {
  return detail::Need(detail::g_services.codec);
}
inline kx::HidLibrary& Hid() {
  return detail::Need(detail::g_services.hid);
}
inline kx::Graphics& Graphics() {
  return detail::Need(detail::g_services.graphics);
}

}  // namespace os
}  // namespace kx
