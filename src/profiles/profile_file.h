// Profile files: one per profile list entry, "<data folder>Profiles\<name>.ini", all keys in
// the section GROUP. Text keys hold the name and the linked programs; the key functions and
// the lighting are stored as struct values of the records' bytes.
#pragma once

#include <string>
#include <string_view>

#include "profiles/ini/ini_document.h"
#include "profiles/records.h"

namespace kx::profiles {

inline constexpr char16_t kProfileSection[] = u"GROUP";
// The profile's own name, written whenever the profile is loaded or listed.
inline constexpr char16_t kProfileNameKey[] = u"CurrentProfileName";

// A profile name is used as the file's base name exactly as stored, but a name that would
// reach outside the profiles folder (a path separator or a drive colon) names no file.
bool IsSafeProfileName(std::u16string_view name);
// The profile file of a name; empty for a name that names no file.
std::u16string ProfileFilePath(std::u16string_view name);

// Fills what a profile file stores (LinkExe, LightInfo, LightData, Keys, GKeys) from a parsed
// file, as a load does: LinkExe and the first four bytes of LightInfo are cleared first; a
// struct that is missing or damaged leaves its records as they were.
void ReadProfileData(const IniDocument& file, PROFILE_DATA& profile);

// Writes the name into the file (creating it when its folder exists), then reads it into
// profile. Fields the file does not hold keep their values.
void LoadProfile(std::u16string_view name, PROFILE_DATA& profile);
// Writes every key of the file from profile in one replacement of the file; true when the
// file holds them.
bool SaveProfile(std::u16string_view name, const PROFILE_DATA& profile);
// Reads only the linked programs; writes nothing.
void LoadModeLinks(std::u16string_view name, LINK_EXE_LIST& links);
// Blanks Current, loads the file of mode Profile into it, repairs the lighting header and the
// unnamed layouts, and sets the system keyboard repeat delay to 3 - RepeatDelayStep.
void LoadCurrentProfile(AGENT_SETTINGS& settings);

}  // namespace kx::profiles
