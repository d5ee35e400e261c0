// A picture of the keyboard in the colours of one lighting layout of a profile: the 6 x 23 key
// matrix with the G keys in column 0, every key at its matrix position, printed with what it
// types and marked with the function the profile gives it.
#pragma once

#include <string>

#include "platform/sim/pixels.h"
#include "profiles/records.h"

namespace kx::picture {

struct KeyboardPictureInfo {
  int keys = 0;       // keys drawn
  int marked = 0;     // keys with a function mark
  bool text = false;  // whether a font was found for the legends
};

// layout: 0..4. The name goes into the title.
sim::Pixels DrawKeyboard(const profiles::PROFILE_DATA& profile, int layout,
                         const std::string& profileName, KeyboardPictureInfo* info = nullptr);

}  // namespace kx::picture
