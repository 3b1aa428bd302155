#include "store/settings.h"

#include "store/record_file.h"

namespace tolvane::store {

RunningSettings checkSettings(const DataFolder& folder)
{
    const auto record = readRecordAt<SettingsRecord>(folder.pathOf<SettingsRecord>());
    RunningSettings s;
    // Any non-zero value counts as yes: older files may hold 1 instead of -1.
    s.ClearSendList = record.ClearSendList != 0;
    s.ClearMessage = record.ClearMessage != 0;
    s.ClearQueue = record.ClearQueue != 0;
    s.ShowConnectionWindow = record.ShowConnectionWindow != 0;
    s.MessagePrefix = record.MessagePrefix;
    s.MessageSuffix = record.MessageSuffix;
    s.LargeIcons = record.LargeIcons != 0;
    return s;
}

} // namespace tolvane::store
