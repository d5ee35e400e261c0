// What a profile's key records become on the keyboard: the matrix cell of each key and the
// macro block of each macro key.
#pragma once

#include <cstdint>

#include "device/key_blocks.h"
#include "platform/types.h"
#include "profiles/records.h"

namespace kx::core {

// Function codes with a meaning of their own to the agent or the keyboard.
inline constexpr std::int32_t kFunctionLaunch = 223;         // starts the key's program
inline constexpr std::int32_t kFunctionGuardedLaunch = 384;  // the same, once per guard time
inline constexpr std::int32_t kFunctionSingleKey = 465;      // sends the key in macro byte 2

// The key a single-key function sends: a HID usage.
constexpr BYTE SingleKeyUsage(const profiles::BUTTON_INFO& key) {
  return key.MacroData[2];
}

// Function codes 512..65535 are macros.
constexpr bool IsMacroFunction(std::int32_t function) {
  return function >= 512 && function <= 65535;
}

// The matrix cell of a key whose cell holds defaultCode before the profile is applied: a
// disabled key (Kind 1) gets 0; a function key (Kind 2) its keyboard function code, or for
// the single-key function 465 the usage in macro byte 2, or the marker of its family (0xCD
// for macros and the functions 481, 483, 484; 0xE8 for 466; 0 for 467); everything else
// keeps the default.
BYTE MatrixCellForKey(const profiles::BUTTON_INFO& key, BYTE defaultCode);

// The macro block of a key: its two option bytes (MacroOption1 first), then its macro data.
device::KEY_MACRO MacroOfKey(const profiles::BUTTON_INFO& key);

}  // namespace kx::core
