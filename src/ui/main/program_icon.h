#pragma once

#include <QIcon>

namespace tolvane::ui {

// The program's own picture, in every size it ships: the windows', the notification area's and the
// desktop entry's.
QIcon programIcon();

} // namespace tolvane::ui
