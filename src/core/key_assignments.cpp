#include "core/key_assignments.h"

#include <algorithm>

#include "core/key_tables.h"

namespace kx::core {

namespace {

constexpr BYTE kMacroCell = 0xCD;
constexpr BYTE kFunction466Cell = 0xE8;

}  // namespace

BYTE MatrixCellForKey(const profiles::BUTTON_INFO& key, BYTE defaultCode) {
  if (key.Kind == profiles::KIND_DISABLED) return 0;
  if (key.Kind != profiles::KIND_FUNCTION) return defaultCode;
  const std::int32_t f = key.Function;
  BYTE code = KeyboardCodeOfFunction(f);
  if (code == 0 && f == kFunctionSingleKey) code = SingleKeyUsage(key);
  if (code != 0) return code;
  if (IsMacroFunction(f)) return kMacroCell;
  switch (f) {
    case 466:
      return kFunction466Cell;
    case 481:
    case 483:
    case 484:
      return kMacroCell;
    case 467:
      return 0;
    default:
      return defaultCode;
  }
}

device::KEY_MACRO MacroOfKey(const profiles::BUTTON_INFO& key) {
  device::KEY_MACRO macro{};
  macro[device::kMacroOption1Offset] = key.MacroOption1;
  macro[device::kMacroOption0Offset] = key.MacroOption0;
  std::copy_n(key.MacroData, device::kMacroDataBytes, macro.begin() + device::kMacroDataOffset);
  return macro;
}

}  // namespace kx::core
