#include "platform/sim/sim_debug_output.h"

namespace kx::sim {

void SimDebugOutput::AppendLocked(char16_t c) {
  if (c != u'\n') {
    partial_.push_back(c);
    return;
  }
  if (observer_) observer_(partial_);
  if (capacity_ > 0) {
    if (lines_.size() >= capacity_)
      lines_.erase(lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(lines_.size() / 2));
    lines_.push_back(std::move(partial_));
  }
  partial_.clear();
}

void SimDebugOutput::Write(std::u16string_view text) {
  std::lock_guard lock(mutex_);
  for (char16_t c : text)
    AppendLocked(c);
}

void SimDebugOutput::WriteAscii(std::string_view text) {
  std::lock_guard lock(mutex_);
  for (char c : text)
    AppendLocked(static_cast<char16_t>(static_cast<unsigned char>(c)));
}

std::vector<std::u16string> SimDebugOutput::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

void SimDebugOutput::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
  partial_.clear();
}

void SimDebugOutput::SetCapacity(std::size_t lines) {
  std::lock_guard lock(mutex_);
  capacity_ = lines;
  if (lines_.size() > capacity_)
    lines_.erase(lines_.begin(), lines_.end() - static_cast<std::ptrdiff_t>(capacity_));
}

void SimDebugOutput::SetLineObserver(std::function<void(const std::u16string&)> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

}  // namespace kx::sim
