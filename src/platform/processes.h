// The process table and the program that owns the foreground window.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace kx {

struct ProcessEntry {
  DWORD processId = 0;
  std::u16string exeFile;  // executable file name without folder, at most 259 characters
};

class Processes {
 public:
  virtual ~Processes() = default;
  // GetForegroundWindow; null when no window has the foreground.
  virtual HWND GetForegroundWindow() const = 0;
  // GetWindowThreadProcessId: the id of the process owning the window, 0 for none.
  virtual DWORD GetWindowProcessId(HWND window) const = 0;
  // A snapshot of all processes (Toolhelp); nothing when the snapshot cannot be taken.
  virtual std::optional<std::vector<ProcessEntry>> Snapshot() const = 0;
};

}  // namespace kx
