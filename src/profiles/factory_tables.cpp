#include "profiles/factory_tables.h"

#include <array>
#include <cassert>

namespace kx::profiles {

namespace {

constexpr std::array<FactoryLighting, MODE_COUNT> kLighting = {{
    {5, 1, 0xFFFFFF},
    {6, 1, 0x0000FF},
    {6, 0, 0xFF0000},
    {6, 1, 0x00FF00},
    {6, 1, 0x00FFFF},
    {6, 1, 0xFF00FF},
}};

constexpr KeyColorRun kMode2[] = {
    {0, 0, 0xFFFFFF},   {1, 5, 0x00FF00},   {6, 7, 0xFFFFFF},    {8, 8, 0x00FF00},
    {9, 16, 0xFFFFFF},  {17, 20, 0x00FF00}, {21, 36, 0xFFFFFF},  {37, 41, 0x00FF00},
    {42, 74, 0xFFFFFF}, {75, 80, 0x00FF00}, {81, 105, 0xFFFFFF}, {106, 108, 0x0000FF},
};

constexpr KeyColorRun kMode3[] = {
    {0, 16, 0x00D7FF},   {17, 19, 0xEEE471}, {20, 20, 0xFFFFFF}, {21, 22, 0xEEE471},
    {23, 36, 0x00D7FF},  {37, 41, 0xEEE471}, {42, 46, 0x00D7FF}, {47, 47, 0xEEE471},
    {48, 59, 0x00D7FF},  {60, 63, 0xEEE471}, {64, 69, 0x00D7FF}, {70, 70, 0xEEE471},
    {71, 76, 0x00D7FF},  {77, 79, 0xEEE471}, {80, 93, 0x00D7FF}, {94, 94, 0xEEE471},
    {95, 108, 0x00D7FF},
};

constexpr KeyColorRun kMode4[] = {
    {0, 3, 0x19668D},   {4, 4, 0x34FF00},    {5, 5, 0x19668D},   {6, 7, 0x34FF00},
    {8, 8, 0x19668D},   {9, 36, 0x34FF00},   {37, 38, 0x19668D}, {39, 39, 0xFFFFFF},
    {40, 40, 0x19668D}, {41, 41, 0x34FF00},  {42, 42, 0x19668D}, {43, 58, 0x34FF00},
    {59, 61, 0xFFFFFF}, {62, 83, 0x34FF00},  {84, 84, 0x19668D}, {85, 93, 0x34FF00},
    {94, 94, 0x19668D}, {95, 108, 0x34FF00},
};

// Key 64 is not listed.
constexpr KeyColorRun kMode5[] = {
    {0, 1, 0x0066FF},    {2, 12, 0xFFFFFF},  {13, 16, 0x0066FF}, {17, 18, 0xFFDD00},
    {19, 28, 0x0066FF},  {29, 29, 0xFFDD00}, {30, 36, 0x0066FF}, {37, 38, 0xFFDD00},
    {39, 39, 0xFFFFFF},  {40, 42, 0xFFDD00}, {43, 45, 0x0066FF}, {46, 47, 0xFFDD00},
    {48, 58, 0x0066FF},  {59, 61, 0xFFFFFF}, {62, 62, 0xFFDD00}, {63, 63, 0x0066FF},
    {65, 68, 0x0066FF},  {69, 69, 0xFFDD00}, {70, 74, 0x0066FF}, {75, 78, 0xFFDD00},
    {79, 80, 0x0066FF},  {81, 81, 0xFFDD00}, {82, 90, 0x0066FF}, {91, 91, 0xFFFFFF},
    {92, 93, 0x0066FF},  {94, 94, 0xFFFFFF}, {95, 97, 0x0066FF}, {98, 98, 0xFFFFFF},
    {99, 108, 0x0066FF},
};

// Runs are in key order, do not overlap and stay within the main keys.
template <std::size_t N>
constexpr bool InKeyOrder(const KeyColorRun (&runs)[N]) {
  int next = 0;
  for (const KeyColorRun& run : runs) {
    if (run.first < next || run.last < run.first || run.last >= KEY_COUNT) return false;
    next = run.last + 1;
  }
  return true;
}
static_assert(InKeyOrder(kMode2) && InKeyOrder(kMode3) && InKeyOrder(kMode4) && InKeyOrder(kMode5));

}  // namespace

const FactoryLighting& FactoryLightingOf(int mode) {
  assert(mode >= 0 && mode < MODE_COUNT);
  return kLighting[static_cast<std::size_t>(mode)];
}

std::span<const KeyColorRun> FactoryKeyColorsOf(int mode) {
  switch (mode) {
    case 2:
      return kMode2;
    case 3:
      return kMode3;
    case 4:
      return kMode4;
    case 5:
      return kMode5;
    default:
      return {};
  }
}

}  // namespace kx::profiles
