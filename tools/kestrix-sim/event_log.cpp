#include "event_log.h"

#include <cstdio>

namespace kx::simtool {

namespace {

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

std::string HexBytes(const std::vector<BYTE>& bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += ' ';
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0F];
  }
  return out;
}

std::string FormatEvent(const Event& e) {
  std::string line = std::to_string(e.timeMs) + " ";
  switch (e.kind) {
    case Event::Kind::kMessage:
      // Parameters are pointer-sized unsigned values, so -1 shows all bits set.
      return line + "MSG \"" + e.title + "\" " + Hex(e.message) + " " + Hex(e.wParam) + " " +
             Hex(static_cast<std::uintptr_t>(e.lParam));
    case Event::Kind::kOsd:
      return line + "OSD \"" + e.text + "\" " + Hex(e.colour);
    case Event::Kind::kLaunch:
      return line + "LAUNCH \"" + e.text + "\"";
    case Event::Kind::kRegistry:
      return line + "REG \"" + e.text + "\" " + e.data;
    case Event::Kind::kWrite:
    case Event::Kind::kRead: {
      line += e.kind == Event::Kind::kWrite ? "W u" : "R u";
      line += std::to_string(e.usage);
      if (!e.bytes.empty()) line += " " + HexBytes(e.bytes);
      return line;
    }
  }
  return line;
}

void EventLog::Add(Event event) {
  std::lock_guard lock(mutex_);
  if (sink_ != nullptr) {
    *sink_ << FormatEvent(event) << '\n';
    sink_->flush();
  }
  events_.push_back(std::move(event));
}

std::vector<Event> EventLog::Events() const {
  std::lock_guard lock(mutex_);
  return events_;
}

std::size_t EventLog::Count() const {
  std::lock_guard lock(mutex_);
  return events_.size();
}

std::vector<Event> EventLog::EventsSince(std::size_t mark) const {
  std::lock_guard lock(mutex_);
  if (mark >= events_.size()) return {};
  return std::vector<Event>(events_.begin() + static_cast<std::ptrdiff_t>(mark), events_.end());
}

}  // namespace kx::simtool
