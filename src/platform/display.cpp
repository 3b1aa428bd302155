#include "platform/display.h"

#include <cstdlib>
#include <string_view>

namespace tolvane::platform {
namespace {
bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
} // namespace

bool invisiblePlatform()
{
    const char* value = std::getenv("QT_QPA_PLATFORM");
    if (value == nullptr)
        return false;
    const std::string_view platform(value);
    return platform.rfind("offscreen", 0) == 0 || platform.rfind("minimal", 0) == 0;
}

const char* platformFallback()
{
    const char* session = std::getenv("XDG_SESSION_TYPE");
    if (!isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM")
        || (session != nullptr && std::string_view(session) == "wayland"))
        return "";
    return "xcb;offscreen";
}

bool displayAvailable()
{
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

} // namespace tolvane::platform
