#include "platform/sim/sim_sync.h"

#include "platform/errors.h"
#include "platform/platform.h"

namespace kx::sim {

HANDLE SimSync::CreateNamedMutex(std::u16string_view name, bool* alreadyExisted) {
  std::lock_guard lock(mutex_);
  // Object names are case-sensitive.
  int& count = openCounts_[std::u16string(name)];
  bool existed = count > 0;
  ++count;
  HANDLE h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = std::u16string(name);
  if (alreadyExisted != nullptr) *alreadyExisted = existed;
  os::Errors().SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

bool SimSync::ReleaseMutex(HANDLE mutex) {
  std::lock_guard lock(mutex_);
  return handles_.count(mutex) > 0;
}

bool SimSync::CloseHandle(HANDLE handle) {
  std::lock_guard lock(mutex_);
  auto it = handles_.find(handle);
  if (it == handles_.end()) return false;
  if (--openCounts_[it->second] == 0) openCounts_.erase(it->second);
  handles_.erase(it);
  return true;
}

int SimSync::OpenCount(std::u16string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = openCounts_.find(std::u16string(name));
  return it == openCounts_.end() ? 0 : it->second;
}

}  // namespace kx::sim
