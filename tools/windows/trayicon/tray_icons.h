// The tray program's icons, drawn at run time: a small keyboard in the colour of its state.
#pragma once

#include <windows.h>

namespace kx::tray {

// A 16 x 16 icon: a rounded keyboard outline with key caps, in colour, on a transparent
// background. Null when the system cannot make it.
::HICON MakeKeyboardIcon(::COLORREF colour);

}  // namespace kx::tray
