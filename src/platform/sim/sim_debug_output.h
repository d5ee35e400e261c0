// Captures the debugger output line by line, as a debugger would show it.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/debug_output.h"

namespace kx::sim {

class SimDebugOutput final : public DebugOutput {
 public:
  void Write(std::u16string_view text) override;
  void WriteAscii(std::string_view text) override;

  // Completed lines (without their line feed), oldest first.
  std::vector<std::u16string> Lines() const;
  void Clear();
  // Keeps at most this many lines (the oldest go first); 0 keeps none at all.
  void SetCapacity(std::size_t lines);
  // Called with every completed line, on the writing thread.
  void SetLineObserver(std::function<void(const std::u16string&)> observer);

 private:
  void AppendLocked(char16_t c);

  mutable std::mutex mutex_;
  std::u16string partial_;
  std::vector<std::u16string> lines_;
  std::size_t capacity_ = 100000;
  std::function<void(const std::u16string&)> observer_;
};

}  // namespace kx::sim
