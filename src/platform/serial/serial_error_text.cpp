#include "platform/serial/serial_error_text.h"

#include "engine/serial_line.h"

#include <array>
#include <utility>

namespace tolvane::platform {

namespace {

constexpr std::array<std::pair<int, std::string_view>, 8> kTexts { {
    { engine::kInvalidPortNumber, "Invalid port number" },
    { engine::kPortAlreadyOpen, "Port already open" },
    { engine::kUnsupportedBaud, "The device's baud rate is unsupported" },
    { engine::kHardwareNotAvailable, "The hardware is not available" },
    { engine::kDeviceNotOpen, "The device is not open" },
    { engine::kDeviceAlreadyOpen, "The device is already open" },
    { engine::kPortNotOpen, "Operation valid only while the port is open" },
    { engine::kDeviceBusy, "The device is busy" },
} };

} // namespace

std::string_view serialErrorText(int number)
{
    for (const auto& [known, text] : kTexts) {
        if (known == number)
            return text;
    }
    return "Serial port error";
}

std::string serialErrorDescription(int number, std::string_view detail)
{
    std::string description(serialErrorText(number));
    if (!detail.empty()) {
        description += ": ";
        description += detail;
    }
    return description;
}

} // namespace tolvane::platform
