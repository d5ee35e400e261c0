// The simulated shell: starts programs (recording every start), knows shell links and
// advertised shortcuts (resolved through a small installer database).
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_window_system.h"

namespace kx::sim {

struct Launch {
  std::uint64_t timeMs = 0;
  std::u16string verb;
  std::u16string file;
  std::u16string parameters;
  std::u16string folder;
  int show = 0;
  std::intptr_t result = 0;
};

class SimShell final : public Shell {
 public:
  SimShell(SimFileSystem& files, SimProcesses& processes, SimWindowSystem& windows,
           SimClock& clock);

  std::intptr_t Execute(std::u16string_view verb, std::u16string_view file,
                        std::u16string_view parameters, std::u16string_view folder,
                        int show) override;
  UINT GetAdvertisedShortcutTarget(std::u16string_view shortcut, char16_t* productCode,
                                   char16_t* featureId, char16_t* componentCode) override;
  int GetComponentPath(std::u16string_view productCode, std::u16string_view componentCode,
                       char16_t* path, DWORD* length) override;
  HRESULT ResolveShellLink(std::u16string_view path, std::u16string& target) override;

  // --- The desktop's own controls ---
  // What starting an executable of this file name (any letter case) does besides adding a
  // process: a companion program opens its windows here. Windows created meanwhile belong to
  // the new process.
  using ProgramStart = std::function<void(DWORD processId)>;
  void RegisterProgram(std::u16string_view exeName, ProgramStart start);
  std::vector<Launch> Launches() const;
  void SetLaunchObserver(std::function<void(const Launch&)> observer);
  // Writes a shell link at linkPath that points to target.
  bool CreateShellLink(std::u16string_view linkPath, std::u16string_view target);
  // Writes an advertised shortcut and records the component's installed path.
  bool CreateAdvertisedShortcut(std::u16string_view linkPath, std::u16string_view productCode,
                                std::u16string_view featureId, std::u16string_view componentCode,
                                std::u16string_view installedPath);
  // Forgets a component's installed path, as when its product is uninstalled; its advertised
  // shortcuts stay.
  void UninstallComponent(std::u16string_view productCode, std::u16string_view componentCode);

 private:
  std::optional<std::vector<std::u16string>> ReadShortcut(std::u16string_view path,
                                                          std::string_view magic);

  SimFileSystem& files_;
  SimProcesses& processes_;
  SimWindowSystem& windows_;
  SimClock& clock_;
  mutable std::mutex mutex_;
  std::vector<std::pair<std::u16string, ProgramStart>> programs_;
  std::vector<Launch> launches_;
  std::map<std::u16string, std::u16string> components_;  // product|component -> path
  std::function<void(const Launch&)> observer_;
};

}  // namespace kx::sim
