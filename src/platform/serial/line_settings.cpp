#include "platform/serial/line_settings.h"
#include "platform/serial/text_fields.h"

#include <charconv>
#include <vector>

namespace tolvane::platform {

namespace {

std::optional<int> parseNumber(std::string_view text)
{
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

std::optional<LineSettings::Parity> parseParity(std::string_view text)
{
    if (text.size() != 1)
        return std::nullopt;
    switch (text.front()) {
    case 'N':
    case 'n':
        return LineSettings::Parity::None;
    case 'E':
    case 'e':
        return LineSettings::Parity::Even;
    case 'O':
    case 'o':
        return LineSettings::Parity::Odd;
    case 'M':
    case 'm':
        return LineSettings::Parity::Mark;
    case 'S':
    case 's':
        return LineSettings::Parity::Space;
    default:
        return std::nullopt;
    }
}

char parityLetter(LineSettings::Parity parity)
{
    switch (parity) {
    case LineSettings::Parity::Even:
        return 'E';
    case LineSettings::Parity::Odd:
        return 'O';
    case LineSettings::Parity::Mark:
        return 'M';
    case LineSettings::Parity::Space:
        return 'S';
    case LineSettings::Parity::None:
        break;
    }
    return 'N';
}

} // namespace

std::optional<LineSettings> LineSettings::parse(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const auto comma = text.find(',');
        parts.push_back(trimBlanks(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    if (parts.size() != 4)
        return std::nullopt;

    const auto baud = parseNumber(parts[0]);
    const auto parity = parseParity(parts[1]);
    const auto dataBits = parseNumber(parts[2]);
    const auto stopBits = parseNumber(parts[3]);
    if (!baud || *baud <= 0 || !parity || !dataBits || *dataBits < 5 || *dataBits > 8 || !stopBits
        || (*stopBits != 1 && *stopBits != 2))
        return std::nullopt;
    return LineSettings { *baud, *parity, *dataBits, *stopBits };
}

std::string LineSettings::text() const
{
    return std::to_string(baud) + ',' + parityLetter(parity) + ',' + std::to_string(dataBits) + ','
        + std::to_string(stopBits);
}

} // namespace tolvane::platform
