#include "platform/sim/sim_processes.h"

namespace kx::sim {

SimProcesses::SimProcesses(SimWindowSystem& windows) : windows_(windows) {}

HWND SimProcesses::GetForegroundWindow() const {
  std::lock_guard lock(mutex_);
  return foreground_ != nullptr && windows_.IsWindow(foreground_) ? foreground_ : nullptr;
}

DWORD SimProcesses::GetWindowProcessId(HWND window) const {
  return windows_.WindowProcess(window);
}

std::optional<std::vector<ProcessEntry>> SimProcesses::Snapshot() const {
  std::lock_guard lock(mutex_);
  if (snapshotFails_) return std::nullopt;
  std::vector<ProcessEntry> entries;
  for (const auto& [id, exe] : processes_) {
    entries.push_back(ProcessEntry{id, exe.substr(0, 259)});
  }
  return entries;
}

DWORD SimProcesses::StartProcess(std::u16string_view exeFile) {
  std::lock_guard lock(mutex_);
  DWORD id = nextId_;
  nextId_ += 4;
  processes_[id] = std::u16string(exeFile);
  return id;
}

void SimProcesses::AddProcess(DWORD processId, std::u16string_view exeFile) {
  std::lock_guard lock(mutex_);
  processes_[processId] = std::u16string(exeFile);
}

void SimProcesses::EndProcess(DWORD processId) {
  std::lock_guard lock(mutex_);
  processes_.erase(processId);
}

void SimProcesses::SetForeground(HWND window) {
  std::lock_guard lock(mutex_);
  foreground_ = window;
}

void SimProcesses::SetSnapshotFails(bool fails) {
  std::lock_guard lock(mutex_);
  snapshotFails_ = fails;
}

}  // namespace kx::sim
