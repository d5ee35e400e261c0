// The demonstration's voice: paragraphs on standard output, each stamped with the virtual time
// it speaks of and wrapped to a comfortable width.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace kx::simtool {

class Narrator {
 public:
  // clock: the virtual time in ms since the agent started.
  Narrator(std::ostream& out, std::function<std::uint64_t()> clock);

  // A paragraph without a time (titles and the closing notes).
  void Plain(std::string_view text);
  // A paragraph stamped with the time now.
  void Say(std::string_view text);
  // A paragraph that goes on from the one before, without a stamp.
  void More(std::string_view text);
  void Blank();
  // A line exactly as given (commands to copy), never wrapped.
  void Line(std::string_view text);

  // Seconds with milliseconds, as the stamps show them ("3.160 s").
  static std::string Seconds(std::uint64_t ms);

 private:
  void Write(std::string_view firstPrefix, std::string_view text);

  std::ostream& out_;
  std::function<std::uint64_t()> clock_;
};

}  // namespace kx::simtool
