#include "dispatch/entry_columns.h"

#include "dispatch/clock.h"

#include <cctype>

namespace tolvane::dispatch {
namespace {

// 1-based position and width as the layouts are written; `width` 0 runs to the end.
std::string_view part(std::string_view text, std::size_t position, std::size_t width)
{
    const std::size_t start = position - 1;
    if (start >= text.size())
        return {};
    std::string_view out = text.substr(start, width == 0 ? std::string_view::npos : width);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\0'))
        out.remove_suffix(1);
    return out;
}

std::string_view withoutCutYear(std::string_view date)
{
    const std::size_t separator = date.find_last_of("/-.");
    if (separator == std::string_view::npos)
        return date;
    const std::string_view year = date.substr(separator + 1);
    const bool whole = (year.size() == 2 || year.size() == 4) && std::isdigit(static_cast<unsigned char>(year.front()))
        && std::isdigit(static_cast<unsigned char>(year.back()));
    return whole ? date : date.substr(0, separator);
}

} // namespace

std::string_view entryColumn(std::string_view entry, int column)
{
    static constexpr std::pair<std::size_t, std::size_t> kPlaces[]
        = { { 1, 25 }, { 26, 25 }, { 51, 100 }, { 152, 12 }, { 165, 10 }, { 176, 20 }, { 197, 0 } };
    if (column < 0 || column >= static_cast<int>(std::size(kPlaces)))
        return {};
    const auto [position, width] = kPlaces[column];
    return part(entry, position, width);
}

std::string_view logColumn(std::string_view line, int column)
{
    switch (column) {
    case LogOutcome: {
        const std::string_view start = line.substr(0, 11);
        if (start == "PAGE SENT: ")
            return "Sent";
        if (start == "ERROR FOR: ")
            return "Error";
        return part(start, 1, 11);
    }
    case LogName:
        return part(line, 12, 25);
    case LogTime:
        return part(line, 37, 12);
    case LogDate:
        return withoutCutYear(part(line, 50, 9));
    case LogMessage:
        return part(line, 59, 0);
    default:
        return {};
    }
}

std::optional<long long> momentKey(std::string_view time, std::string_view date)
{
    const auto minute = parseTime(time);
    const auto day = parseShortDate(date);
    if (!minute || !day)
        return std::nullopt;
    return ((static_cast<long long>(day->year) * 12 + day->month) * 31 + day->day) * 1440 + *minute;
}

} // namespace tolvane::dispatch
