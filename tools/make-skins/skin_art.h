// The progress window's skin pictures, drawn from a few shapes: a pill-shaped bar, its mask,
// an empty version (a dark track) and a full one (a bright striped fill).
#pragma once

#include "platform/sim/pixels.h"

namespace kx::skins {

inline constexpr int kBarWidth = 420;
inline constexpr int kBarHeight = 44;

// The bar's shape: ink where the bar is, pure white elsewhere.
sim::Pixels DrawMask();
// The empty bar and the full bar, the same size and outline as the mask.
sim::Pixels DrawEmptyBar();
sim::Pixels DrawFullBar();

}  // namespace kx::skins
