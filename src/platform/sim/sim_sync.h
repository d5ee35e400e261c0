// Named kernel objects of the simulated desktop: one namespace for the whole log-on.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/sync.h"

namespace kx::sim {

class SimSync final : public Sync {
 public:
  HANDLE CreateNamedMutex(std::u16string_view name, bool* alreadyExisted) override;
  bool ReleaseMutex(HANDLE mutex) override;
  bool CloseHandle(HANDLE handle) override;

  // Open handles to the mutex of that name.
  int OpenCount(std::u16string_view name) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::u16string, int> openCounts_;
  std::map<HANDLE, std::u16string> handles_;
  HANDLE nextHandle_ = 0x104;
};

}  // namespace kx::sim
