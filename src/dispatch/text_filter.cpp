#include "dispatch/text_filter.h"

#include <array>

namespace tolvane::dispatch {
namespace {

// Every byte to its lower-case Windows-1252 form: A-Z, the Latin-1 capitals (but the multiplication
// sign), and Š, Œ, Ž and Ÿ, which Windows-1252 keeps at 0x8A-0x9F.
constexpr std::array<unsigned char, 256> kFold = [] {
    std::array<unsigned char, 256> fold {};
    for (int c = 0; c < 256; ++c)
        fold[c] = static_cast<unsigned char>(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        fold[c] = static_cast<unsigned char>(c + 32);
    for (int c = 0xC0; c <= 0xDE; ++c)
        if (c != 0xD7)
            fold[c] = static_cast<unsigned char>(c + 32);
    fold[0x8A] = 0x9A;
    fold[0x8C] = 0x9C;
    fold[0x8E] = 0x9E;
    fold[0x9F] = 0xFF;
    return fold;
}();

unsigned char folded(char c)
{
    return kFold[static_cast<unsigned char>(c)];
}

} // namespace

TextFilter::TextFilter(std::string_view cp1252)
{
    m_folded.reserve(cp1252.size());
    for (const char c : cp1252)
        m_folded += static_cast<char>(folded(c));
}

bool TextFilter::foundIn(std::string_view cp1252) const
{
    if (m_folded.empty())
        return true;
    if (m_folded.size() > cp1252.size())
        return false;
    const std::size_t last = cp1252.size() - m_folded.size();
    const auto first = static_cast<unsigned char>(m_folded.front());
    for (std::size_t at = 0; at <= last; ++at) {
        if (folded(cp1252[at]) != first)
            continue;
        std::size_t i = 1;
        while (i < m_folded.size() && folded(cp1252[at + i]) == static_cast<unsigned char>(m_folded[i]))
            ++i;
        if (i == m_folded.size())
            return true;
    }
    return false;
}

} // namespace tolvane::dispatch
