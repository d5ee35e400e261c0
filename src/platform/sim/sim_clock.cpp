#include "platform/sim/sim_clock.h"

#include <thread>

namespace kx::sim {

SimClock::SimClock(bool realTime) : realTime_(realTime), start_(std::chrono::steady_clock::now()) {}

std::uint64_t SimClock::NowMs() const {
  if (!realTime_) return virtualNow_.load();
  auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SimClock::Sleep(std::uint32_t ms) {
  slept_ += ms;
  if (realTime_) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  } else {
    virtualNow_ += ms;
  }
}

void SimClock::AdvanceTo(std::uint64_t ms) {
  if (realTime_) return;
  std::uint64_t now = virtualNow_.load();
  while (now < ms && !virtualNow_.compare_exchange_weak(now, ms)) {
  }
}

}  // namespace kx::sim
