#include "store/codepage.h"

#include <array>
#include <cstdint>

namespace tolvane::store {
namespace {

// Code points of bytes 0x80..0x9F; 0 marks the five undefined bytes, which pass through as C1 controls.
constexpr std::array<char32_t, 32> kHighTable = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6,
    0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
    0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };

char32_t codePointOf(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) {
        const char32_t mapped = kHighTable[byte - 0x80];
        return mapped != 0 ? mapped : byte;
    }
    return byte;
}

char byteOf(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t i = 0; i < kHighTable.size(); ++i) {
        const char32_t mapped = kHighTable[i] != 0 ? kHighTable[i] : static_cast<char32_t>(0x80 + i);
        if (mapped == cp)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string utf8ToCp1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        // The smallest code point each length may carry: a longer spelling of a smaller one is malformed,
        // or an overlong ":" or NUL would slip through as a real character.
        char32_t least = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
            least = 0x10000;
        }
        std::size_t taken = 1;
        while (
            taken < length && i + taken < utf8.size() && (static_cast<unsigned char>(utf8[i + taken]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(utf8[i + taken]) & 0x3F);
            ++taken;
        }
        if (length == 0 || taken < length || cp < least || cp > 0x10FFFF) {
            // One "?" for the whole broken sequence; the byte that broke it starts the next one.
            out += '?';
            i += taken;
            continue;
        }
        out += byteOf(cp);
        i += length;
    }
    return out;
}

std::string cp1252ToUtf8(std::string_view cp1252)
{
    std::string out;
    out.reserve(cp1252.size());
    for (const char c : cp1252)
        appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
    return out;
}

std::string visibleControls(std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const auto shown = [](std::string& out, unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
    };
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c == '\r') {
            out += '\n';
            if (i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else if (c == '\n' || c == '\t' || (c >= 0x20 && c < 0x7F)) {
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += '^';
            out += static_cast<char>(c ^ 0x40);
        } else {
            // A whole UTF-8 sequence passes, except U+0080..U+009F, which a terminal may take for CSI, OSC and
            // the other C1 controls; a byte that starts no whole sequence is shown too.
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            std::size_t whole = 1;
            while (length != 0 && whole < length && i + whole < utf8.size()
                && (static_cast<unsigned char>(utf8[i + whole]) & 0xC0) == 0x80)
                ++whole;
            if (length == 0 || whole < length || c > 0xF4) {
                shown(out, c);
            } else if (c == 0xC2 && static_cast<unsigned char>(utf8[i + 1]) < 0xA0) {
                shown(out, static_cast<unsigned char>(utf8[i + 1]));
            } else {
                out.append(utf8, i, length);
            }
            if (length != 0 && whole == length && c <= 0xF4)
                i += length - 1;
        }
    }
    return out;
}

std::string terminalText(std::string_view cp1252)
{
    return visibleControls(cp1252ToUtf8(cp1252));
}

} // namespace tolvane::store
