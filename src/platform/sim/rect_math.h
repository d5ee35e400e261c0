// Rectangle arithmetic shared by the simulated window system and its drawing.
#pragma once

#include <algorithm>

#include "platform/types.h"

namespace kx::sim {

// The smallest rectangle holding both; an empty one adds nothing.
inline RECT UnionRect(const RECT& a, const RECT& b) {
  if (a.Width() <= 0 || a.Height() <= 0) return b;
  if (b.Width() <= 0 || b.Height() <= 0) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// The part both cover, or the empty rectangle.
inline RECT IntersectRect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (r.Width() <= 0 || r.Height() <= 0) return RECT{};
  return r;
}

}  // namespace kx::sim
