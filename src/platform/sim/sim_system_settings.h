// System parameters of the simulated desktop: keyboard repeat delay and screen size.
#pragma once

#include <mutex>
#include <vector>

#include "platform/system_settings.h"

namespace kx::sim {

class SimSystemSettings final : public SystemSettings {
 public:
  bool SetKeyboardDelay(UINT delay) override;
  bool GetKeyboardDelay(UINT* delay) const override;
  int GetSystemMetrics(int index) const override;

  // --- The desktop's own controls ---
  void SetScreenSize(int width, int height);
  // Every delay set, in order.
  std::vector<UINT> DelaysSet() const;
  void SetRefuseKeyboardDelay(bool refuse);

 private:
  mutable std::mutex mutex_;
  UINT delay_ = 1;
  std::vector<UINT> delaysSet_;
  bool refuse_ = false;
  int width_ = 1920;
  int height_ = 1080;
};

}  // namespace kx::sim
