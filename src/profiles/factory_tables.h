// The factory lighting of each mode: header values and the default key colours of layout 0.
#pragma once

#include <span>

#include "platform/types.h"
#include "profiles/records.h"

namespace kx::profiles {

struct FactoryLighting {
  BYTE Effect;
  BYTE EffectOption;
  COLORREF Color;
};

// A run of main keys first..last (inclusive) that get one colour.
struct KeyColorRun {
  int first;
  int last;
  COLORREF color;
};

// Indexed by mode 0..5.
const FactoryLighting& FactoryLightingOf(int mode);
// The default key colours of layout 0, in key order; keys not listed keep 0. Empty for modes
// 0 and 1.
std::span<const KeyColorRun> FactoryKeyColorsOf(int mode);

}  // namespace kx::profiles
