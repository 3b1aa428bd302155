#include "engine/gateway_rules.h"

#include "engine/queue_entry.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace tolvane::engine {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Windows-1252 0x80 to 0x9F as Latin-1 can carry them; undefined codes become blanks.
constexpr std::array<std::string_view, 32> kLatin1For1252 = {
    "EUR", " ", ",", "f", "\"", "...", "+", "+", "^", "%", "S", "<", "OE", " ", "Z", " ", //
    " ", "'", "'", "\"", "\"", "*", "-", "-", "~", "TM", "s", ">", "oe", " ", "z", "Y", //
};

} // namespace

std::optional<SnppReply> takeSnppReply(std::string& received)
{
    std::string joined;
    std::size_t start = 0;
    for (;;) {
        const auto end = received.find('\n', start);
        if (end == std::string::npos)
            return std::nullopt;
        std::string_view line(received.data() + start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        start = end + 1;
        joined += (joined.empty() ? "" : " / ") + std::string(line);
        const bool coded = line.size() >= 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2])
            && (line.size() == 3 || line[3] == ' ' || line[3] == '-');
        // "250-..." continues; so does a 214 help line, which a 250 ends.
        if (coded && line.size() > 3 && line[3] == '-')
            continue;
        if (coded && line.starts_with("214"))
            continue;
        SnppReply reply;
        reply.code = coded ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
        reply.text = printable(joined);
        received.erase(0, start);
        return reply;
    }
}

Verdict snppVerdict(int code)
{
    switch (code / 100) {
    case 2:
    case 8: // level 3 two-way successes, and queued ones
    case 9:
        return Verdict::Accepted;
    case 3:
        return code == 354 ? Verdict::GoOn : Verdict::Unreadable;
    case 4: // the gateway is closing the connection
        return Verdict::Temporary;
    case 5:
        if (code == 500 || code == 502)
            return Verdict::NotImplemented;
        return code == 554 ? Verdict::Temporary : Verdict::Refused;
    case 7: // a level 3 refusal
        return Verdict::Refused;
    default:
        return Verdict::Unreadable;
    }
}

std::string gatewayText(std::string_view cp1252)
{
    std::string out(cp1252);
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D)
            c = ' ';
    }
    return out;
}

std::string snppText(std::string_view cp1252)
{
    std::string out;
    for (const char c : cp1252) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            out += kLatin1For1252[byte - 0x80];
        else
            out += (byte < 0x20 || byte == 0x7F) ? ' ' : c;
    }
    return out;
}

std::string dotStuffed(std::string_view text)
{
    std::string out;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.starts_with('.'))
            out += '.';
        out.append(line).append("\r\n");
        start = end + 1;
    }
    return out + ".\r\n";
}

std::string wctpMessageId(std::string_view pageId, std::string_view entry)
{
    if (!pageId.empty())
        return "tolvane-" + std::string(pageId);
    // FNV-1a over the columns that stay the same for one page, each with a separator of its own.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const auto add = [&hash](std::string_view text) {
        for (const char c : text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 0x100000001b3ULL;
        }
        hash ^= 0xFF;
        hash *= 0x100000001b3ULL;
    };
    add(companyColumn(entry));
    add(nameColumn(entry));
    add(pagerIdColumn(entry));
    add(timeColumn(entry));
    add(dateColumn(entry));
    add(entry.size() > 196 ? entry.substr(196) : std::string_view());
    char text[32];
    std::snprintf(text, sizeof text, "tolvane-%016llx", static_cast<unsigned long long>(hash));
    return text;
}

Verdict wctpVerdict(const WctpAnswer& answer)
{
    if (!answer.transportFailure.empty())
        return Verdict::Temporary;
    if (answer.kind == WctpAnswer::Kind::Success)
        return Verdict::Accepted;
    if (answer.kind == WctpAnswer::Kind::Failure) {
        // 3xx the request, 4xx its content, 5xx the message: refused for good; 6xx for now.
        return answer.code / 100 == 6 ? Verdict::Temporary : Verdict::Refused;
    }
    // No WCTP answer in the body: the HTTP status is all there is.
    const int status = answer.httpStatus;
    if (status >= 500 || status == 408 || status == 429)
        return Verdict::Temporary;
    if (status >= 300 && status < 500)
        return Verdict::Refused;
    return Verdict::Unreadable;
}

std::string wctpRequestShown(const WctpRequest& request, std::string_view cp1252Message)
{
    std::string shown = "wctp-SubmitRequest senderID=\"" + printable(request.senderId) + "\"";
    if (!request.securityCode.empty())
        shown += " securityCode=\"***\"";
    return shown + " messageID=\"" + request.messageId + "\" recipientID=\"" + printable(request.recipientId)
        + "\" wctp-Alphanumeric: " + std::string(cp1252Message);
}

std::string printable(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

} // namespace tolvane::engine
