#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::platform {

// The text without blanks and tabs around it: hand-edited settings lines carry either.
inline std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The lines of a text, each with its own line end, so a rewrite can give every line back unchanged.
inline std::vector<std::string> splitKeepingEnds(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const auto length = newline == std::string_view::npos ? text.size() : newline + 1;
        lines.emplace_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

// A line without its LF or CR LF end.
inline std::string_view withoutLineEnd(std::string_view line)
{
    if (line.ends_with('\n'))
        line.remove_suffix(1);
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line;
}

} // namespace tolvane::platform
