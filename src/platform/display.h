#pragma once

namespace tolvane::platform {

// Decided before any Qt application object exists: a display is there when DISPLAY or WAYLAND_DISPLAY is
// set, or a Qt platform plug-in has been chosen explicitly (QT_QPA_PLATFORM, e.g. offscreen in tests).
bool displayAvailable();

// A platform plug-in that shows nothing to anyone (offscreen, minimal): a modal box there would wait
// forever for an answer nobody can give.
bool invisiblePlatform();

} // namespace tolvane::platform
