// The simulated desktop's process table and foreground window.
#pragma once

#include <map>
#include <mutex>

#include "platform/processes.h"
#include "platform/sim/sim_window_system.h"

namespace kx::sim {

class SimProcesses final : public Processes {
 public:
  explicit SimProcesses(SimWindowSystem& windows);

  HWND GetForegroundWindow() const override;
  DWORD GetWindowProcessId(HWND window) const override;
  std::optional<std::vector<ProcessEntry>> Snapshot() const override;

  // --- The desktop's own controls ---
  // Adds a process running the executable (a file name); returns its id.
  DWORD StartProcess(std::u16string_view exeFile);
  // Adds a process with a given id (the agent's own).
  void AddProcess(DWORD processId, std::u16string_view exeFile);
  void EndProcess(DWORD processId);
  void SetForeground(HWND window);
  // Makes every snapshot fail, as when the system refuses one.
  void SetSnapshotFails(bool fails);

 private:
  SimWindowSystem& windows_;
  mutable std::mutex mutex_;
  std::map<DWORD, std::u16string> processes_;
  DWORD nextId_ = 2000;
  HWND foreground_ = nullptr;
  bool snapshotFails_ = false;
};

}  // namespace kx::sim
