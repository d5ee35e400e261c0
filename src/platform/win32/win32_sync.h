// The named mutex that keeps one agent per log-on.
#pragma once

#include "platform/sync.h"

namespace kx::win32 {

class Win32Sync final : public Sync {
 public:
  HANDLE CreateNamedMutex(std::u16string_view name, bool* alreadyExisted) override;
  bool ReleaseMutex(HANDLE mutex) override;
  bool CloseHandle(HANDLE handle) override;
};

}  // namespace kx::win32
