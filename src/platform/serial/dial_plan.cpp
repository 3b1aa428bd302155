#include "platform/serial/dial_plan.h"

#include "platform/serial/text_fields.h"

#include <charconv>
#include <optional>

namespace tolvane::platform {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The rest of a line that begins with the word DIAL, or nothing when it does not.
std::optional<std::string_view> afterDialWord(std::string_view line)
{
    line = trimBlanks(line);
    if (line.size() < 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        if ((line[i] & ~0x20) != "DIAL"[i])
            return std::nullopt;
    }
    return line.substr(4);
}

// Why a host as written cannot be a host, or empty when it can.
std::string hostProblem(std::string_view host, bool bracketed)
{
    if (host.empty())
        return "no host before the port";
    for (const char c : host) {
        const bool fits = bracketed ? (isHexDigit(c) || c == ':' || c == '.' || c == '%' || isLetter(c))
                                    : (isLetter(c) || isDigit(c) || c == '.' || c == '-' || c == '_');
        if (!fits)
            return bracketed
                ? "not an IPv6 address between the brackets"
                : (c == ':' ? "an IPv6 address goes between brackets" : "the host holds a character no host name has");
    }
    if (!bracketed && (host.front() == '-' || host.front() == '.'))
        return "the host holds a character no host name has";
    return {};
}

// One DIAL line's number and target, or the reason it cannot be read.
std::string parseDialLine(std::string_view rest, DialPlan::Entry& entry)
{
    if (!rest.empty() && rest.front() != ' ' && rest.front() != '\t')
        return "no blank after the word DIAL";
    const auto equals = rest.find('=');
    if (equals == std::string_view::npos)
        return "no \"=\" between the number and the host";
    const auto number = trimBlanks(rest.substr(0, equals));
    for (const char c : number) {
        if (!isDigit(c) && std::string_view(" \t-().+*#,/").find(c) == std::string_view::npos)
            return "the number holds a character that cannot be dialled";
    }
    entry.digits = digitsOf(number);
    if (entry.digits.empty())
        return "no number before the \"=\"";

    const auto target = trimBlanks(rest.substr(equals + 1));
    const auto colon = target.rfind(':');
    if (colon == std::string_view::npos)
        return "no \":\" and port after the host";
    auto host = trimBlanks(target.substr(0, colon));
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed)
        host = host.substr(1, host.size() - 2);
    if (auto problem = hostProblem(host, bracketed); !problem.empty())
        return problem;
    entry.host = std::string(host);

    const auto portText = trimBlanks(target.substr(colon + 1));
    long port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (portText.empty() || error == std::errc::invalid_argument || end != portText.data() + portText.size())
        return "the port is not a number";
    if (error == std::errc::result_out_of_range || port < 1 || port > 65535)
        return "the port is not between 1 and 65535";
    entry.port = static_cast<int>(port);
    return {};
}

} // namespace

std::string DialPlan::Entry::target() const
{
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

DialPlan DialPlan::parse(std::string_view text)
{
    DialPlan plan;
    int lineNumber = 0;
    for (const auto& raw : splitKeepingEnds(text)) {
        ++lineNumber;
        const auto line = withoutLineEnd(raw);
        const auto rest = afterDialWord(line);
        if (!rest)
            continue;
        Entry entry;
        if (auto reason = parseDialLine(*rest, entry); !reason.empty())
            plan.badLines.push_back(BadLine { lineNumber, std::string(line), std::move(reason) });
        else
            plan.entries.push_back(std::move(entry));
    }
    return plan;
}

const DialPlan::Entry* DialPlan::match(std::string_view dialled) const
{
    const std::string digits = digitsOf(dialled);
    const Entry* best = nullptr;
    for (const auto& entry : entries) {
        if (digits.ends_with(entry.digits) && (!best || entry.digits.size() >= best->digits.size()))
            best = &entry;
    }
    return best;
}

std::string digitsOf(std::string_view text)
{
    std::string digits;
    for (const char c : text) {
        if (isDigit(c))
            digits += c;
    }
    return digits;
}

} // namespace tolvane::platform
