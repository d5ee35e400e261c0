// The simulated desktop's clock: virtual by default (a Sleep returns at once and moves time on),
// or real time for a person watching the main job.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "platform/clock.h"

namespace kx::sim {

class SimClock final : public Clock {
 public:
  explicit SimClock(bool realTime = false);

  std::uint64_t NowMs() const override;
  void Sleep(std::uint32_t ms) override;

  bool RealTime() const { return realTime_; }
  // Moves virtual time on to at least `ms` (no effect in real time, where time moves itself).
  void AdvanceTo(std::uint64_t ms);
  // Total of all Sleep calls, for asserting the pauses a sequence took.
  std::uint64_t SleptMs() const { return slept_.load(); }

 private:
  const bool realTime_;
  const std::chrono::steady_clock::time_point start_;
  std::atomic<std::uint64_t> virtualNow_{0};
  std::atomic<std::uint64_t> slept_{0};
};

}  // namespace kx::sim
