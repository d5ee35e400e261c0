// What is printed on a key: the name of the HID keyboard usage the keyboard sends for it by
// default, and short marks for the functions a profile can give a key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/types.h"
#include "profiles/records.h"

namespace kx::picture {

// The printed name of a HID keyboard usage ("Esc", "F1", "A", "←" ...); empty for a usage the
// keyboard has no printed key for.
std::string_view UsageLegend(BYTE usage);

// The mark of a key's function in a profile: "OFF" for a disabled key; "MACRO", "RUN" (starts a
// program), "MODE", "LEVEL", "KEY" (sends another key), or "F<code>" for function keys; empty
// for a key that does what it says on it.
std::string FunctionMark(const profiles::BUTTON_INFO& key);

}  // namespace kx::picture
