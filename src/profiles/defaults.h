// Defaults and repair: the reset settings, the blank profile a load starts from, the factory
// profile of each mode, the range repair of loaded values, and the factory files written on
// the first start.
#pragma once

#include "profiles/records.h"

namespace kx::profiles {

// Clears everything, repairs, and names the six mode slots "Profile 0" ... "Profile 5".
void ResetSettings(AGENT_SETTINGS& settings);
// Brings every settings field into its range and repairs Current with the defaults of mode
// Profile.
void CheckSettings(AGENT_SETTINGS& settings);
// All zeros with a valid lighting header and the layouts "DEFAULT", "NEW" x 4.
void BlankProfile(PROFILE_DATA& profile);
// factory: the factory profile of the mode (keys cleared, lighting of the mode). Otherwise
// only out-of-range lighting values and unnamed layouts get the mode's defaults. mode is
// 0..5; any other mode leaves the record unchanged.
void FactoryProfile(PROFILE_DATA& profile, bool factory, int mode);
// Writes the factory profile files when the current mode's file is missing. Files of the other
// modes that exist already are left alone.
void CreateFactoryProfiles(const AGENT_SETTINGS& settings);

// The lighting-header repair a profile load applies: Effect above 10 becomes 5, EffectOption
// above 2 becomes 1, EffectLevel outside 1..5 becomes 5, EffectParam above 5 becomes 0, Color
// above 0xFFFFFF becomes 0xFFFFFF.
void RepairLightInfo(LIGHT_INFO& info);
// Every layout with an empty name gets its reset name ("DEFAULT" for layout 0, "NEW" for the
// others) and all colours 0.
void ResetUnnamedLayouts(PROFILE_DATA& profile);

}  // namespace kx::profiles
