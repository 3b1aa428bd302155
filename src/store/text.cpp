#include "store/text.h"

namespace tolvane::store {

std::string fixedText(std::string_view text, std::size_t width)
{
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

std::string rtrim(std::string_view text)
{
    const auto end = text.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(text.substr(0, end + 1));
}

std::string ltrim(std::string_view text)
{
    const auto begin = text.find_first_not_of(' ');
    return begin == std::string_view::npos ? std::string() : std::string(text.substr(begin));
}

std::string trim(std::string_view text)
{
    return ltrim(rtrim(text));
}

std::string numberText(long value)
{
    std::string out = value < 0 ? std::string() : std::string(1, ' ');
    out.append(std::to_string(value));
    return out;
}

} // namespace tolvane::store
