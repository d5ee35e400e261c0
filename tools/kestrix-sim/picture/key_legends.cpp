#include "picture/key_legends.h"

#include <array>

#include "core/key_assignments.h"

namespace kx::picture {

namespace {

struct Legend {
  BYTE usage;
  std::string_view text;
};

// The usages of the keyboard's default key matrix.
constexpr std::array<Legend, 106> kLegends = {{
    {0x04, "A"},     {0x05, "B"},     {0x06, "C"},     {0x07, "D"},     {0x08, "E"},
    {0x09, "F"},     {0x0A, "G"},     {0x0B, "H"},     {0x0C, "I"},     {0x0D, "J"},
    {0x0E, "K"},     {0x0F, "L"},     {0x10, "M"},     {0x11, "N"},     {0x12, "O"},
    {0x13, "P"},     {0x14, "Q"},     {0x15, "R"},     {0x16, "S"},     {0x17, "T"},
    {0x18, "U"},     {0x19, "V"},     {0x1A, "W"},     {0x1B, "X"},     {0x1C, "Y"},
    {0x1D, "Z"},     {0x1E, "1"},     {0x1F, "2"},     {0x20, "3"},     {0x21, "4"},
    {0x22, "5"},     {0x23, "6"},     {0x24, "7"},     {0x25, "8"},     {0x26, "9"},
    {0x27, "0"},     {0x28, "Enter"}, {0x29, "Esc"},   {0x2A, "Bksp"},  {0x2B, "Tab"},
    {0x2C, "Space"}, {0x2D, "-"},     {0x2E, "="},     {0x2F, "["},     {0x30, "]"},
    {0x31, "\\"},    {0x32, "#"},     {0x33, ";"},     {0x34, "'"},     {0x35, "`"},
    {0x36, ","},     {0x37, "."},     {0x38, "/"},     {0x39, "Caps"},  {0x3A, "F1"},
    {0x3B, "F2"},    {0x3C, "F3"},    {0x3D, "F4"},    {0x3E, "F5"},    {0x3F, "F6"},
    {0x40, "F7"},    {0x41, "F8"},    {0x42, "F9"},    {0x43, "F10"},   {0x44, "F11"},
    {0x45, "F12"},   {0x46, "PrtSc"}, {0x47, "ScrLk"}, {0x48, "Pause"}, {0x49, "Ins"},
    {0x4A, "Home"},  {0x4B, "PgUp"},  {0x4C, "Del"},   {0x4D, "End"},   {0x4E, "PgDn"},
    {0x4F, "→"},     {0x50, "←"},     {0x51, "↓"},     {0x52, "↑"},     {0x53, "Num"},
    {0x54, "/"},     {0x55, "*"},     {0x56, "-"},     {0x57, "+"},     {0x58, "Enter"},
    {0x59, "1"},     {0x5A, "2"},     {0x5B, "3"},     {0x5C, "4"},     {0x5D, "5"},
    {0x5E, "6"},     {0x5F, "7"},     {0x60, "8"},     {0x61, "9"},     {0x62, "0"},
    {0x63, "."},     {0x64, "\\"},    {0x65, "Menu"},  {0xAC, "Fn"},    {0xE0, "Ctrl"},
    {0xE1, "Shift"}, {0xE2, "Alt"},   {0xE3, "Win"},   {0xE4, "Ctrl"},  {0xE5, "Shift"},
    {0xE6, "Alt"},
}};

}  // namespace

std::string_view UsageLegend(BYTE usage) {
  for (const Legend& legend : kLegends) {
    if (legend.usage == usage) return legend.text;
  }
  return {};
}

std::string FunctionMark(const profiles::BUTTON_INFO& key) {
  if (key.Kind == profiles::KIND_DISABLED) return "OFF";
  if (key.Kind != profiles::KIND_FUNCTION) return {};
  const std::int32_t f = key.Function;
  if (core::IsMacroFunction(f)) return "MACRO";
  if (f == core::kFunctionLaunch || f == core::kFunctionGuardedLaunch) return "RUN";
  if (f >= 257 && f <= 262) return "MODE";
  if ((f >= 289 && f <= 291) || (f >= 353 && f <= 355)) return "LEVEL";
  if (f == core::kFunctionSingleKey) return "KEY";
  if (f == 0) return {};
  return "F" + std::to_string(f);
}

}  // namespace kx::picture
