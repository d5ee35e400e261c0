// Time. Every pause of the agent goes through here, so the simulated desktop can run it on a
// virtual clock: a Sleep returns at once and moves virtual time on.
#pragma once

#include <cstdint>

namespace kx {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the clock started.
  virtual std::uint64_t NowMs() const = 0;
  virtual void Sleep(std::uint32_t ms) = 0;
};

}  // namespace kx
