// Where the keyboard's keys sit in its 6 x 23 matrix, and how the agent's key function codes
// pair with the keyboard's own function-key codes. Both tables are data the keyboard's
// firmware fixes; the small searches below are the only ways the agent reads them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>

#include "device/key_blocks.h"
#include "platform/types.h"
#include "profiles/records.h"

namespace kx::core {

// A key's place in the matrix; its matrix code is row x 23 + column.
struct KeyPosition {
  BYTE row;
  BYTE column;
  constexpr BYTE Code() const { return static_cast<BYTE>(row * device::kMatrixColumns + column); }
};

constexpr KeyPosition PositionOfCode(int code) {
  return KeyPosition{static_cast<BYTE>(code / static_cast<int>(device::kMatrixColumns)),
                     static_cast<BYTE>(code % static_cast<int>(device::kMatrixColumns))};
}

template <std::size_t N>
constexpr std::array<KeyPosition, N> PositionsOfCodes(const int (&codes)[N]) {
  std::array<KeyPosition, N> positions{};
  for (std::size_t i = 0; i < N; ++i)
    positions[i] = PositionOfCode(codes[i]);
  return positions;
}

inline constexpr std::size_t kEmptyCellCount = 16;

// The three groups of positions. Main keys are in main-key order (the order of Keys and
// KeyColor in a profile); their last seven sit out of row order. G keys fill column 0.
// Empty cells hold no key; the lighting write blacks them out.
struct KeyPositionTableGroups {
  std::array<KeyPosition, profiles::KEY_COUNT> mainKeys;
  std::array<KeyPosition, profiles::G_KEY_COUNT> gKeys;
  std::array<KeyPosition, kEmptyCellCount> emptyCells;
};

namespace detail {
inline constexpr int kMainKeyCodes[] = {
    1,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  15,  16,  17,  18,  24,  25,  26,
    27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  38,  39,  40,  41,  42,  43,  44,  45,  47,
    48,  49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  61,  62,  63,  64,  65,  66,  67,
    68,  70,  71,  72,  73,  74,  75,  76,  77,  78,  79,  80,  81,  84,  88,  89,  90,  93,  95,
    96,  97,  98,  99,  100, 101, 102, 103, 104, 107, 109, 111, 112, 113, 114, 116, 117, 118, 121,
    124, 125, 126, 128, 131, 132, 133, 134, 136, 82,  94,  37,  105, 108, 119, 123};
inline constexpr int kGKeyCodes[] = {0, 23, 46, 69, 92, 115};
inline constexpr int kEmptyCellCodes[] = {60,  83,  85,  86,  87,  91,  106, 108,
                                          110, 120, 122, 127, 129, 130, 135, 137};
}  // namespace detail

inline constexpr KeyPositionTableGroups KeyPositionTable{PositionsOfCodes(detail::kMainKeyCodes),
                                                         PositionsOfCodes(detail::kGKeyCodes),
                                                         PositionsOfCodes(detail::kEmptyCellCodes)};

namespace detail {
constexpr bool AllInMatrix() {
  for (const auto& group : {std::span<const KeyPosition>(KeyPositionTable.mainKeys),
                            std::span<const KeyPosition>(KeyPositionTable.gKeys),
                            std::span<const KeyPosition>(KeyPositionTable.emptyCells)}) {
    for (KeyPosition p : group) {
      if (p.row >= device::kMatrixRows || p.column >= device::kMatrixColumns) return false;
    }
  }
  return true;
}
constexpr bool GKeysFillColumnZero() {
  for (std::size_t i = 0; i < KeyPositionTable.gKeys.size(); ++i) {
    if (KeyPositionTable.gKeys[i].row != i || KeyPositionTable.gKeys[i].column != 0) return false;
  }
  return true;
}
constexpr bool MainKeysDistinctAndOffColumnZero() {
  const auto& keys = KeyPositionTable.mainKeys;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].column == 0) return false;
    for (std::size_t j = i + 1; j < keys.size(); ++j) {
      if (keys[i].Code() == keys[j].Code()) return false;
    }
  }
  return true;
}
}  // namespace detail

static_assert(std::size(detail::kMainKeyCodes) == profiles::KEY_COUNT);
static_assert(std::size(detail::kGKeyCodes) == profiles::G_KEY_COUNT);
static_assert(std::size(detail::kEmptyCellCodes) == kEmptyCellCount);
static_assert(detail::AllInMatrix());
static_assert(detail::GKeysFillColumnZero());
static_assert(detail::MainKeysDistinctAndOffColumnZero());

// One row of FunctionKeyTable: the agent's function code and the keyboard's code for it.
struct FunctionKeyPair {
  std::int32_t functionCode;
  BYTE keyboardCode;
};

// Row order matters: a search by keyboard code keeps the last matching row, a search by
// function code stops at the first.
inline constexpr std::array<FunctionKeyPair, 31> FunctionKeyTable = {{
    {261, 247}, {262, 248}, {260, 249}, {289, 199}, {290, 199}, {291, 199}, {321, 196}, {322, 197},
    {323, 198}, {353, 196}, {354, 197}, {355, 198}, {384, 254}, {223, 223}, {219, 219}, {417, 206},
    {418, 207}, {420, 213}, {419, 208}, {423, 210}, {424, 209}, {421, 211}, {422, 212}, {452, 167},
    {455, 165}, {453, 166}, {454, 168}, {449, 171}, {450, 170}, {451, 169}, {482, 221},
}};
static_assert(FunctionKeyTable.size() == 31);

// Key groups of FindKeyIndex.
inline constexpr int kMainKeyGroup = 0;
inline constexpr int kGKeyGroup = 1;
inline constexpr BYTE kNoKey = 255;

// The index of the key of the group whose matrix code equals the low byte of code (the first
// match), or kNoKey. Group 0 is the main keys, group 1 the G keys; any other finds nothing.
constexpr BYTE FindKeyIndex(int group, std::uint32_t code) {
  const BYTE wanted = static_cast<BYTE>(code & 0xFF);
  auto search = [wanted](const auto& positions) -> BYTE {
    for (std::size_t i = 0; i < positions.size(); ++i) {
      if (positions[i].Code() == wanted) return static_cast<BYTE>(i);
    }
    return kNoKey;
  };
  if (group == kMainKeyGroup) return search(KeyPositionTable.mainKeys);
  if (group == kGKeyGroup) return search(KeyPositionTable.gKeys);
  return kNoKey;
}

// The function code of the last row with this keyboard code, or 0 when none has it.
constexpr std::int32_t FunctionOfKeyboardCode(BYTE keyboardCode) {
  std::int32_t function = 0;
  for (const FunctionKeyPair& row : FunctionKeyTable) {
    if (row.keyboardCode == keyboardCode) function = row.functionCode;
  }
  return function;
}

// The keyboard code of the first row with this function code, or 0 when none has it.
constexpr BYTE KeyboardCodeOfFunction(std::int32_t functionCode) {
  for (const FunctionKeyPair& row : FunctionKeyTable) {
    if (row.functionCode == functionCode) return row.keyboardCode;
  }
  return 0;
}

// The matrix code of main key i (0..110) and of G key i (0..5).
constexpr BYTE MainKeyMatrixCode(std::size_t i) {
  return KeyPositionTable.mainKeys[i].Code();
}
constexpr BYTE GKeyMatrixCode(std::size_t i) {
  return KeyPositionTable.gKeys[i].Code();
}

}  // namespace kx::core
