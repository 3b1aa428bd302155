#include "engine/queue_entry.h"

#include "engine/tap_block.h"
#include "store/text.h"

#include <algorithm>

namespace tolvane::engine {
namespace {

using store::fixedText;

// 1-based position and width, as the layout is written.
std::string column(std::string_view entry, std::size_t position, std::size_t width)
{
    const std::size_t start = position - 1;
    const std::string_view part = start < entry.size() ? entry.substr(start, width) : std::string_view();
    return fixedText(part, width);
}

} // namespace

std::string buildQueueEntry(const store::UserRecord& user, std::string_view timeText, std::string_view dateText,
    std::string_view message, std::int16_t limit, std::string_view status)
{
    const std::size_t messageWidth = static_cast<std::size_t>(std::clamp<int>(limit, 0, 300));
    std::string entry;
    entry.reserve(196 + messageWidth);
    entry += fixedText(user.PagingCompany, 25);
    entry += fixedText(user.UserName, 25);
    entry += fixedText(user.PagerId, 100);
    entry += ' ';
    entry += fixedText(timeText, 12);
    entry += ' ';
    entry += fixedText(dateText, 10);
    entry += ' ';
    entry += fixedText(status, 20);
    entry += ' ';
    entry += fixedText(fixedText(message, 300), messageWidth);
    return entry;
}

// One line per column, so the layout reads as the table it is.
// clang-format off
std::string companyColumn(std::string_view entry) { return column(entry, 1, 25); }
std::string nameColumn(std::string_view entry) { return column(entry, 26, 25); }
std::string pagerIdColumn(std::string_view entry) { return column(entry, 51, 100); }
std::string timeColumn(std::string_view entry) { return column(entry, 152, 12); }
std::string dateColumn(std::string_view entry) { return column(entry, 165, 10); }
std::string statusColumn(std::string_view entry) { return column(entry, 176, 20); }
std::string logStampColumn(std::string_view entry) { return column(entry, 152, 22); }
// clang-format on

std::string messageColumn(std::string_view entry, std::int16_t limit)
{
    // A limit beyond the end of the column reads only what is there, not padding.
    if (entry.size() <= 196 || limit <= 0)
        return {};
    return std::string(entry.substr(196, static_cast<std::size_t>(limit)));
}

std::string pageLogLine(std::string_view outcome, std::string_view entry, std::int16_t limit, LineBits bits)
{
    std::string message = messageColumn(entry, limit);
    if (bits == LineBits::Seven)
        message = blankControlCharacters(message);
    else
        std::replace_if(
            message.begin(), message.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20u || c == 0x7F; },
            ' ');
    return std::string(outcome) + nameColumn(entry) + logStampColumn(entry) + message;
}

std::string withStatus(std::string_view entry, std::string_view status)
{
    std::string out(entry);
    if (out.size() < 196)
        out.resize(196, ' ');
    out.replace(175, 20, fixedText(status, 20));
    return out;
}

bool isMarkedSent(std::string_view entry)
{
    return statusColumn(entry) == fixedText(kStatusSent, 20);
}

bool waitsToBeSent(std::string_view entry)
{
    return !isMarkedSent(entry) && statusColumn(entry) != fixedText(kStatusMayHaveBeenSent, 20);
}

} // namespace tolvane::engine
