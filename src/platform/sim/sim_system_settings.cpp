#include "platform/sim/sim_system_settings.h"

#include "platform/errors.h"
#include "platform/messages.h"
#include "platform/platform.h"

namespace kx::sim {

bool SimSystemSettings::SetKeyboardDelay(UINT delay) {
  std::lock_guard lock(mutex_);
  if (refuse_ || delay > 3) {
    os::Errors().SetLastError(refuse_ ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
    return false;
  }
  delay_ = delay;
  delaysSet_.push_back(delay);
  return true;
}

bool SimSystemSettings::GetKeyboardDelay(UINT* delay) const {
  std::lock_guard lock(mutex_);
  if (delay != nullptr) *delay = delay_;
  return true;
}

int SimSystemSettings::GetSystemMetrics(int index) const {
  std::lock_guard lock(mutex_);
  if (index == SM_CXSCREEN) return width_;
  if (index == SM_CYSCREEN) return height_;
  return 0;
}

void SimSystemSettings::SetScreenSize(int width, int height) {
  std::lock_guard lock(mutex_);
  width_ = width;
  height_ = height;
}

std::vector<UINT> SimSystemSettings::DelaysSet() const {
  std::lock_guard lock(mutex_);
  return delaysSet_;
}

void SimSystemSettings::SetRefuseKeyboardDelay(bool refuse) {
  std::lock_guard lock(mutex_);
  refuse_ = refuse;
}

}  // namespace kx::sim
