#pragma once

#include "dispatch/page_tries.h"
#include "engine/pacing.h"

#include <QString>

#include <optional>

namespace tolvane::platform {

// What one workstation keeps for itself, apart from the data files (which several workstations may
// share, and whose layouts stay as they are): one INI file in the user's configuration folder
// (~/.config/Tolvane/Tolvane.ini). Every key is named in the .cpp and nowhere else. Tests point it at a
// throwaway folder first (QSettings::setPath for the INI format and the user scope).

// How this workstation's paging calls wait: standard unless "Wait for replies instead of fixed pauses"
// was saved; an unknown stored value counts as standard.
engine::Pacing storedPacing();
void storePacing(engine::Pacing pacing);

// "Try failed pages again": off, 3 tries and a first wait of 2 minutes until saved; numbers out of range are
// brought within what the settings box offers.
dispatch::RetryPolicy storedRetryPolicy();
void storeRetryPolicy(const dispatch::RetryPolicy& policy);

// A toolbar's saved arrangement, under the key "1", the layout name ("MyToolbar1" or "MyToolbar2") and
// the value name "True"; nothing when none was saved yet.
std::optional<QString> storedToolbarLayout(const QString& layoutName);
void storeToolbarLayout(const QString& layoutName, const QString& layout);

} // namespace tolvane::platform
