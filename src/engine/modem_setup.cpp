#include "engine/modem_setup.h"

#include "store/text.h"

#include <algorithm>

namespace tolvane::engine {

std::string dialPrefixForRecord(std::string_view typed)
{
    if (typed.find_first_not_of(' ') == std::string_view::npos)
        return std::string(kNoDialPrefix);
    return std::string(typed);
}

std::string dialPrefixForBox(std::string_view stored)
{
    const std::string shown = shownField(stored);
    return shown == kNoDialPrefix ? std::string() : shown;
}

std::int16_t retryAttemptsFromText(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t");
    if (at == std::string_view::npos)
        return 0;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }
    int value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), kMaxRetryAttempts);
    return static_cast<std::int16_t>(negative ? 0 : value);
}

std::string retryAttemptsSpun(std::string_view text, bool up)
{
    const int value = retryAttemptsFromText(text);
    return std::to_string(up ? std::min(value + 1, kMaxRetryAttempts) : std::max(value - 1, 0));
}

std::string speakerCommands(std::string_view commands, bool speakerOn)
{
    const std::string_view from = speakerOn ? "M0" : "M1";
    const std::string_view to = speakerOn ? "M1" : "M0";
    std::string out;
    out.reserve(commands.size());
    for (std::size_t at = 0; at < commands.size();) {
        if (commands.substr(at, 2) == from) {
            out += to;
            at += 2;
        } else {
            out += commands[at++];
        }
    }
    return out;
}

store::ModemRecord modemRecordToSave(const store::ModemRecord& stored, std::string_view boxCommands, bool speakerOn)
{
    store::ModemRecord record = stored;
    const bool speakerChanged = speakerOn != (stored.Speaker != 0);
    record.ModemCommands = speakerChanged ? speakerCommands(boxCommands, speakerOn) : std::string(boxCommands);
    record.Speaker = speakerOn ? store::kYes : store::kNo;
    return record;
}

std::string shownField(std::string_view stored)
{
    return store::rtrim(stored.substr(0, stored.find('\0')));
}

} // namespace tolvane::engine
