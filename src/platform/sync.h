// Kernel synchronisation objects: the named mutex that keeps one agent per log-on.
#pragma once

#include <string_view>

#include "platform/types.h"

namespace kx {

class Sync {
 public:
  virtual ~Sync() = default;
  // CreateMutexW(no security, not owned, name). The handle is 0 on failure. alreadyExisted
  // reports ERROR_ALREADY_EXISTS: another holder has the name open.
  virtual HANDLE CreateNamedMutex(std::u16string_view name, bool* alreadyExisted) = 0;
  virtual bool ReleaseMutex(HANDLE mutex) = 0;
  virtual bool CloseHandle(HANDLE handle) = 0;
};

}  // namespace kx
