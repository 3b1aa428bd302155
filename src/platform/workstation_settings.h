#pragma once

#include "engine/pacing.h"

namespace tolvane::platform {

// What one workstation keeps for itself, apart from the data files (which several workstations may
// share, and whose layouts stay as they are): QSettings in the user's configuration folder. Every key is
// named in the .cpp and nowhere else. Tests point QSettings at a throwaway folder first
// (QSettings::setPath for the native format and the user scope).

// How this workstation's paging calls wait: standard unless "Wait for replies instead of fixed pauses"
// was saved; an unknown stored value counts as standard.
engine::Pacing storedPacing();
void storePacing(engine::Pacing pacing);

} // namespace tolvane::platform
