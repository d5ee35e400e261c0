// The system's HID headers. MinGW-w64's lack C++ linkage guards, so they are wrapped here;
// hidsdi.h comes first because it brings the types hidpi.h needs.
#pragma once

#include <windows.h>

extern "C" {
#include <hidsdi.h>
}
extern "C" {
#include <hidpi.h>
}
