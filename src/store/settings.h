#pragma once

#include "store/data_folder.h"

#include <string>

namespace tolvane::store {

// The program-wide copies of SETTINGS.DAT's options.
struct RunningSettings {
    bool ClearSendList = false;
    bool ClearMessage = false;
    bool ClearQueue = false;
    bool ShowConnectionWindow = false;
    std::string MessagePrefix; // 20 characters as stored
    std::string MessageSuffix; // 20 characters as stored
    bool LargeIcons = false;
};

// Reads record 1 of SETTINGS.DAT (a missing file is created empty and reads as all options off).
RunningSettings checkSettings(const DataFolder& folder);

} // namespace tolvane::store
