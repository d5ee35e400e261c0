// The debugger output (OutputDebugString): diagnostic traces with fixed formats.
#pragma once

#include <string_view>

namespace kx {

class DebugOutput {
 public:
  virtual ~DebugOutput() = default;
  // Thread-safe; text may hold several lines or part of one.
  virtual void Write(std::u16string_view text) = 0;
  // A narrow (ASCII) shortcut for the fixed-format traces, so hot paths need not widen first.
  virtual void WriteAscii(std::string_view text);
};

}  // namespace kx
