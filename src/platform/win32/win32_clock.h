// Real time: the system's tick count and Sleep.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace kx::win32 {

class Win32Clock final : public Clock {
 public:
  Win32Clock();
  std::uint64_t NowMs() const override;
  void Sleep(std::uint32_t ms) override;

 private:
  std::uint64_t start_ = 0;
};

}  // namespace kx::win32
