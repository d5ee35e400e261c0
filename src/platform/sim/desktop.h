// The simulated desktop: every platform service in one object, installed as the platform for
// as long as the object lives. Drive C: is a host folder; the agent's program folder and the
// user's application data can be mounted elsewhere.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/platform.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_codec.h"
#include "platform/sim/sim_debug_output.h"
#include "platform/sim/sim_errors.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_graphics.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_sync.h"
#include "platform/sim/sim_system_settings.h"
#include "platform/sim/sim_window_system.h"
#include "platform/sim/virtual_keyboard.h"

namespace kx::sim {

struct DesktopOptions {
  std::filesystem::path root;           // the desktop's host folder (required)
  std::filesystem::path appData;        // empty: <root>/C/Users/User/AppData/Roaming
  std::filesystem::path programFolder;  // empty: <root>/C/Program Files/Kestrix
  bool realTime = false;                // pauses take real time
};

class Desktop {
 public:
  // The agent's executable and its process.
  static constexpr DWORD kAgentProcessId = 1000;
  static constexpr char16_t kProgramFolder[] = u"C:\\Program Files\\Kestrix";
  static constexpr char16_t kAgentExe[] = u"kestrix-hid.exe";
  static constexpr char16_t kAppDataFolder[] = u"C:\\Users\\User\\AppData\\Roaming";

  explicit Desktop(DesktopOptions options);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  SimClock& Clock() { return clock_; }
  SimWindowSystem& Windows() { return windows_; }
  SimDebugOutput& Debug() { return debug_; }
  SimSync& Sync() { return sync_; }
  SimErrors& Errors() { return errors_; }
  SimFileSystem& Files() { return files_; }
  SimRegistry& Registry() { return registry_; }
  SimShell& Shell() { return shell_; }
  SimSystemSettings& System() { return system_; }
  SimProcesses& Processes() { return processes_; }
  SimTextCodec& Codec() { return codec_; }
  VirtualKeyboard& Keyboard() { return keyboard_; }
  SimGraphics& Graphics() { return graphics_; }

  const DesktopOptions& Options() const { return options_; }
  // Host folders of the program folder and of the roaming application data.
  std::filesystem::path HostProgramFolder() const;
  std::filesystem::path HostAppData() const;

  // Convenience for tests and tools: RunUntilIdle and RunFor of the window system.
  std::size_t RunUntilIdle() { return windows_.RunUntilIdle(); }
  void RunFor(std::uint64_t ms) { windows_.RunFor(ms); }

 private:
  DesktopOptions options_;
  SimClock clock_;
  SimErrors errors_;
  SimDebugOutput debug_;
  SimSync sync_;
  SimWindowSystem windows_;
  SimFileSystem files_;
  SimRegistry registry_;
  SimProcesses processes_;
  SimShell shell_;
  SimSystemSettings system_;
  SimTextCodec codec_;
  VirtualKeyboard keyboard_;  // unplugged until a test or tool plugs it in
  SimGraphics graphics_;
  PlatformServices previous_;
};

}  // namespace kx::sim
