// The records the agent holds its settings and profiles in. BUTTON_INFO, LIGHT_INFO and
// LIGHT_DATA are stored in profile files byte for byte, so their layout is a file format: the
// offsets below are fixed, integers are little-endian, and the reserved bytes are kept exactly
// as read (record_bytes.h turns them into bytes and back, by offset).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "platform/types.h"

namespace kx::profiles {

inline constexpr int MODE_COUNT = 6;        // device modes; mode 0 is the PC mode
inline constexpr int KEY_COUNT = 111;       // main keys
inline constexpr int G_KEY_COUNT = 6;       // G keys (matrix column 0)
inline constexpr int LINK_EXE_COUNT = 5;    // linked programs per profile
inline constexpr int LIGHT_DATA_COUNT = 5;  // lighting layouts per profile

// A fixed text field holds at most this many characters plus the terminator.
inline constexpr std::size_t TEXT_FIELD_CHARS = 260;
inline constexpr std::size_t PROGRAM_PATH_CHARS = 570;  // bytes 8..1147 of BUTTON_INFO
inline constexpr std::size_t LAYOUT_NAME_CHARS = 50;

using TextField = char16_t[TEXT_FIELD_CHARS];
using LINK_EXE_LIST = TextField[LINK_EXE_COUNT];

// Key kinds of BUTTON_INFO::Kind.
inline constexpr BYTE KIND_DEFAULT = 0;
inline constexpr BYTE KIND_DISABLED = 1;
inline constexpr BYTE KIND_FUNCTION = 2;

// The function of one key, 1392 bytes.
struct BUTTON_INFO {
  BYTE Kind;
  BYTE Reserved1[3];
  std::int32_t Function;  // codes 512..65535 are macros
  // The program the launch function starts, NUL-terminated; the units after the terminator
  // are not interpreted and are kept as read.
  char16_t ProgramPath[PROGRAM_PATH_CHARS];
  BYTE MacroOption0;  // sent to the keyboard after MacroOption1
  BYTE MacroOption1;  // sent first
  BYTE Reserved2;
  BYTE MacroData[240];  // for the single-key function, MacroData[2] is the HID usage produced
  BYTE Reserved3;
};

// The lighting header, 12 bytes.
struct LIGHT_INFO {
  BYTE Effect;        // 0..10; 4 shows Color, 10 the per-key colours of layout 0
  BYTE EffectOption;  // 0..2
  BYTE EffectLevel;   // 1..5
  BYTE EffectParam;   // 0..5, not interpreted
  BYTE Reserved[4];
  COLORREF Color;  // 24-bit colour; red (the low byte) goes to the keyboard first
};

// One lighting layout, 568 bytes.
struct LIGHT_DATA {
  char16_t Name[LAYOUT_NAME_CHARS];
  COLORREF KeyColor[KEY_COUNT];
  COLORREF GKeyColor[G_KEY_COUNT];
};

inline constexpr std::size_t BUTTON_INFO_SIZE = 1392;
inline constexpr std::size_t LIGHT_INFO_SIZE = 12;
inline constexpr std::size_t LIGHT_DATA_SIZE = 568;

static_assert(sizeof(BUTTON_INFO) == BUTTON_INFO_SIZE);
static_assert(offsetof(BUTTON_INFO, Function) == 4);
static_assert(offsetof(BUTTON_INFO, ProgramPath) == 8);
static_assert(offsetof(BUTTON_INFO, MacroOption0) == 1148);
static_assert(offsetof(BUTTON_INFO, MacroOption1) == 1149);
static_assert(offsetof(BUTTON_INFO, Reserved2) == 1150);
static_assert(offsetof(BUTTON_INFO, MacroData) == 1151);
static_assert(offsetof(BUTTON_INFO, Reserved3) == 1391);
static_assert(sizeof(LIGHT_INFO) == LIGHT_INFO_SIZE);
static_assert(offsetof(LIGHT_INFO, EffectParam) == 3);
static_assert(offsetof(LIGHT_INFO, Color) == 8);
static_assert(sizeof(LIGHT_DATA) == LIGHT_DATA_SIZE);
static_assert(offsetof(LIGHT_DATA, KeyColor) == 100);
static_assert(offsetof(LIGHT_DATA, GKeyColor) == 544);

// The profile list entry assigned to one mode.
struct MODE_SLOT {
  std::int32_t ProfileID;
  TextField ProfileName;  // also the base name of the profile file
  TextField ProfileIconName;
  std::int32_t ProfileColor;
};

// The content of one profile file.
struct PROFILE_DATA {
  LINK_EXE_LIST LinkExe;  // an empty entry is free
  BUTTON_INFO Keys[KEY_COUNT];
  BUTTON_INFO GKeys[G_KEY_COUNT];
  LIGHT_INFO LightInfo;
  BYTE RepeatDelayStep;  // never stored; the repeat delay set on a load is 3 - this
  LIGHT_DATA LightData[LIGHT_DATA_COUNT];
};

// The agent's settings and the current profile.
struct AGENT_SETTINGS {
  BYTE Plug;      // presence last written to the settings file; not acted on
  BYTE Profile;   // the current mode, 0..5
  BYTE Language;  // the configuration program's language, 101..107
  std::int32_t UI_Autorun;
  BYTE OSD_Color;  // 0..2
  std::int32_t OSD_Profile;
  std::int32_t OSD_Effect;
  BYTE PollingRate;  // 0..3
  BYTE KeyMode;      // 0..1
  BYTE SyncMode;     // 0..1
  MODE_SLOT Modes[MODE_COUNT];
  PROFILE_DATA Current;
};

static_assert(std::is_trivially_copyable_v<AGENT_SETTINGS>);
static_assert(std::is_trivially_copyable_v<PROFILE_DATA>);

// Clears a record to all zero bytes, as the agent does before filling one.
template <typename Record>
void ClearRecord(Record& record) {
  static_assert(std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record>);
  std::memset(&record, 0, sizeof record);
}

}  // namespace kx::profiles
