#include "profiles/record_bytes.h"

#include <algorithm>
#include <cassert>

namespace kx::profiles {

namespace {

std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void Put32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

template <std::size_t N>
void GetUnits(const std::uint8_t* p, char16_t (&units)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    units[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  }
}

template <std::size_t N>
void PutUnits(std::uint8_t* p, const char16_t (&units)[N]) {
  for (std::size_t i = 0; i < N; ++i) {
    p[2 * i] = static_cast<std::uint8_t>(units[i]);
    p[2 * i + 1] = static_cast<std::uint8_t>(units[i] >> 8);
  }
}

template <std::size_t N>
void GetColors(const std::uint8_t* p, COLORREF (&colors)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    colors[i] = Get32(p + 4 * i);
}

template <std::size_t N>
void PutColors(std::uint8_t* p, const COLORREF (&colors)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    Put32(p + 4 * i, colors[i]);
}

}  // namespace

void EncodeRecord(const BUTTON_INFO& info, std::span<std::uint8_t, BUTTON_INFO_SIZE> out) {
  std::uint8_t* p = out.data();
  p[0] = info.Kind;
  std::copy_n(info.Reserved1, 3, p + 1);
  Put32(p + 4, static_cast<std::uint32_t>(info.Function));
  PutUnits(p + 8, info.ProgramPath);
  p[1148] = info.MacroOption0;
  p[1149] = info.MacroOption1;
  p[1150] = info.Reserved2;
  std::copy_n(info.MacroData, sizeof info.MacroData, p + 1151);
  p[1391] = info.Reserved3;
}

void DecodeRecord(std::span<const std::uint8_t, BUTTON_INFO_SIZE> in, BUTTON_INFO& info) {
  const std::uint8_t* p = in.data();
  info.Kind = p[0];
  std::copy_n(p + 1, 3, info.Reserved1);
  info.Function = static_cast<std::int32_t>(Get32(p + 4));
  GetUnits(p + 8, info.ProgramPath);
  info.MacroOption0 = p[1148];
  info.MacroOption1 = p[1149];
  info.Reserved2 = p[1150];
  std::copy_n(p + 1151, sizeof info.MacroData, info.MacroData);
  info.Reserved3 = p[1391];
}

void EncodeRecord(const LIGHT_INFO& info, std::span<std::uint8_t, LIGHT_INFO_SIZE> out) {
  std::uint8_t* p = out.data();
  p[0] = info.Effect;
  p[1] = info.EffectOption;
  p[2] = info.EffectLevel;
  p[3] = info.EffectParam;
  std::copy_n(info.Reserved, 4, p + 4);
  Put32(p + 8, info.Color);
}

void DecodeRecord(std::span<const std::uint8_t, LIGHT_INFO_SIZE> in, LIGHT_INFO& info) {
  const std::uint8_t* p = in.data();
  info.Effect = p[0];
  info.EffectOption = p[1];
  info.EffectLevel = p[2];
  info.EffectParam = p[3];
  std::copy_n(p + 4, 4, info.Reserved);
  info.Color = Get32(p + 8);
}

void EncodeRecord(const LIGHT_DATA& data, std::span<std::uint8_t, LIGHT_DATA_SIZE> out) {
  std::uint8_t* p = out.data();
  PutUnits(p, data.Name);
  PutColors(p + 100, data.KeyColor);
  PutColors(p + 544, data.GKeyColor);
}

void DecodeRecord(std::span<const std::uint8_t, LIGHT_DATA_SIZE> in, LIGHT_DATA& data) {
  const std::uint8_t* p = in.data();
  GetUnits(p, data.Name);
  GetColors(p + 100, data.KeyColor);
  GetColors(p + 544, data.GKeyColor);
}

void EncodeRecords(std::span<const BUTTON_INFO> infos, std::span<std::uint8_t> out) {
  assert(out.size() == infos.size() * BUTTON_INFO_SIZE);
  for (std::size_t i = 0; i < infos.size(); ++i) {
    EncodeRecord(infos[i], out.subspan(i * BUTTON_INFO_SIZE).first<BUTTON_INFO_SIZE>());
  }
}

void DecodeRecords(std::span<const std::uint8_t> in, std::span<BUTTON_INFO> infos) {
  assert(in.size() == infos.size() * BUTTON_INFO_SIZE);
  for (std::size_t i = 0; i < infos.size(); ++i) {
    DecodeRecord(in.subspan(i * BUTTON_INFO_SIZE).first<BUTTON_INFO_SIZE>(), infos[i]);
  }
}

}  // namespace kx::profiles
