#include "simulator/page_json.h"

#include "store/codepage.h"

#include <cstdio>

namespace tolvane::simulator {

namespace {

std::string jsonString(std::string_view cp1252)
{
    const std::string utf8 = store::cp1252ToUtf8(cp1252);
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

} // namespace

std::string pageJsonLine(const PageRecord& page)
{
    std::string out = "{\"kind\":" + jsonString(page.kind);
    out += ",\"pager_id\":" + jsonString(page.pagerId);
    out += ",\"message\":" + jsonString(page.message);
    out += ",\"password\":" + jsonString(page.password);
    out += ",\"checksum_ok\":";
    out += page.checksumOk ? (*page.checksumOk ? "true" : "false") : "null";
    out += ",\"reply\":" + jsonString(page.reply);
    return out + "}";
}

std::string visibleBytes(std::string_view bytes)
{
    static constexpr const char* names[32] = { "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",
        "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM", "SUB", "ESC",
        "FS", "GS", "RS", "US" };
    std::string out;
    std::string plain;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 0x7F) {
            out += store::cp1252ToUtf8(plain);
            plain.clear();
            out += '<';
            out += byte == 0x7F ? "DEL" : names[byte];
            out += '>';
        } else {
            plain += c;
        }
    }
    return out + store::cp1252ToUtf8(plain);
}

std::string transcriptLine(const TranscriptEntry& entry)
{
    const char* tag = entry.direction == TranscriptDirection::FromClient ? "<-"
        : entry.direction == TranscriptDirection::ToClient               ? "->"
                                                                         : "--";
    char time[32];
    std::snprintf(time, sizeof time, "%10.3f", static_cast<double>(entry.at.count()) / 1000.0);
    // Events quote what the client sent (a pager ID, a checksum), so they are made visible like the traffic.
    return std::string(time) + " " + tag + " " + visibleBytes(entry.bytes);
}

} // namespace tolvane::simulator
