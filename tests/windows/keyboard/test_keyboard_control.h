// How a test drives the substitute keyboard inside the agent's process: messages to its
// control window, a hidden top-level window on the thread that started watching, and the
// files it writes beside itself.
#pragma once

#include "platform/types.h"

namespace kx::test_keyboard {

inline constexpr char16_t kControlTitle[] = u"Kestrix_TestKeyboard";

// Sent to the control window; each answers 1 when done.
inline constexpr UINT kPlug = 0x8000 + 10;    // every collection arrives, in usage order
inline constexpr UINT kUnplug = 0x8000 + 11;  // every collection leaves, in usage order
// The user selects a mode on the keyboard (wParam 0-5): it reports 0D 03 mode (6 for 0).
inline constexpr UINT kSelectMode = 0x8000 + 12;
inline constexpr UINT kSetFirmware = 0x8000 + 13;  // wParam major, lParam minor
inline constexpr UINT kGetMode = 0x8000 + 14;      // answers the active mode
// Writes the keyboard's memory to keyboard-memory.log beside the library.
inline constexpr UINT kDumpMemory = 0x8000 + 15;
// WM_COPYDATA with this id: an input report (the bytes) from collection 1.
inline constexpr std::uintptr_t kInputReportCopyId = 0x4B58494E;  // "KXIN"

// The device id of a collection: 0x100 + usage.
inline constexpr DWORD DeviceIdOf(WORD usage) {
  return 0x100u + usage;
}

// keyboard-transfers.log beside the library: one line per transfer, written as it happens:
//   W|R <ms since the library loaded> <device id hex> <usage> <1 ok|0 refused> <bytes hex>
// keyboard-callbacks.log: one line per input report handed to the callback.
inline constexpr char16_t kTransferLog[] = u"keyboard-transfers.log";
inline constexpr char16_t kMemoryLog[] = u"keyboard-memory.log";

}  // namespace kx::test_keyboard
