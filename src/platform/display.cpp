#include "platform/display.h"

#include <cstdlib>

namespace tolvane::platform {
namespace {
bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}
} // namespace

bool displayAvailable()
{
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

} // namespace tolvane::platform
