// The foreground window and the Toolhelp process snapshot.
#pragma once

#include "platform/processes.h"

namespace kx::win32 {

class Win32Processes final : public Processes {
 public:
  HWND GetForegroundWindow() const override;
  DWORD GetWindowProcessId(HWND window) const override;
  std::optional<std::vector<ProcessEntry>> Snapshot() const override;
};

}  // namespace kx::win32
