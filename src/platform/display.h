#pragma once

namespace tolvane::platform {

// Decided before any Qt application object exists: a display is there when DISPLAY or WAYLAND_DISPLAY is
// set, or a Qt platform plug-in has been chosen explicitly (QT_QPA_PLATFORM, e.g. offscreen in tests).
bool displayAvailable();

// A platform plug-in that shows nothing to anyone (offscreen, minimal): a modal box there would wait
// forever for an answer nobody can give.
bool invisiblePlatform();

// The platform plug-ins for Qt to try in turn, or empty to leave Qt its own choice. A display named by
// DISPLAY alone (no platform chosen, no Wayland session) may be out of reach, a stale DISPLAY after ssh
// or sudo: Qt would then abort the start, so it is offered the invisible offscreen platform after X11.
const char* platformFallback();
inline constexpr const char* kFallbackPlatform = "offscreen";

} // namespace tolvane::platform
