#include "platform/serial/dial_plan.h"

#include "platform/serial/text_fields.h"

#include <curl/curl.h>

#include <charconv>
#include <memory>
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

// The rest of a line that begins with `word` (any case), or nothing when it does not.
std::optional<std::string_view> afterWord(std::string_view line, std::string_view word)
{
    line = trimBlanks(line);
    if (line.size() < word.size())
        return std::nullopt;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if ((line[i] & ~0x20) != word[i])
            return std::nullopt;
    }
    return line.substr(word.size());
}

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using Url = std::unique_ptr<CURLU, UrlDeleter>;

// One part of a parsed URL, or empty when the URL has none.
std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0)
{
    char* text = nullptr;
    if (curl_url_get(url, part, &text, flags) != CURLUE_OK || text == nullptr)
        return {};
    std::string value(text);
    curl_free(text);
    return value;
}

std::string decoded(std::string_view text)
{
    int length = 0;
    char* plain = curl_easy_unescape(nullptr, text.data(), static_cast<int>(text.size()), &length);
    if (plain == nullptr)
        return std::string(text);
    std::string value(plain, static_cast<std::size_t>(length));
    curl_free(plain);
    return value;
}

struct Scheme {
    std::string_view name;
    DialPlan::Protocol protocol;
    bool tls;
    int defaultPort; // 0: the URL must give one
};
constexpr Scheme kSchemes[] = {
    { "tap", DialPlan::Protocol::Tap, false, 0 },
    { "snpp", DialPlan::Protocol::Snpp, false, 444 },
    { "snpps", DialPlan::Protocol::Snpp, true, 444 },
    { "wctp+http", DialPlan::Protocol::Wctp, false, 80 },
    { "wctp+https", DialPlan::Protocol::Wctp, true, 443 },
};

// A gateway's URL, read by libcurl's URL parser; the reason it cannot be read, or empty.
std::string parseUrl(std::string_view text, DialPlan::Entry& entry)
{
    const Url url(curl_url());
    const std::string written(text);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, written.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return "the URL cannot be read";
    const std::string schemeName = urlPart(url.get(), CURLUPART_SCHEME);
    const Scheme* scheme = nullptr;
    for (const auto& known : kSchemes)
        if (schemeName == known.name)
            scheme = &known;
    if (scheme == nullptr)
        return "the URL is not tap://, snpp://, snpps://, wctp+http:// or wctp+https://";
    entry.protocol = scheme->protocol;
    entry.tls = scheme->tls;
    entry.host = urlPart(url.get(), CURLUPART_HOST);
    if (entry.host.size() >= 2 && entry.host.front() == '[')
        entry.host = entry.host.substr(1, entry.host.size() - 2);
    if (entry.host.empty())
        return "no host in the URL";
    const std::string portText = urlPart(url.get(), CURLUPART_PORT);
    entry.port = portText.empty() ? scheme->defaultPort : std::stoi(portText);
    if (entry.port == 0)
        return "no port in the URL";
    if (entry.protocol == DialPlan::Protocol::Tap)
        return {};

    const bool hasPassword = !urlPart(url.get(), CURLUPART_PASSWORD).empty();
    if (entry.protocol == DialPlan::Protocol::Snpp) {
        entry.user = urlPart(url.get(), CURLUPART_USER, CURLU_URLDECODE);
        entry.secret = urlPart(url.get(), CURLUPART_PASSWORD, CURLU_URLDECODE);
        if (hasPassword)
            curl_url_set(url.get(), CURLUPART_PASSWORD, "***", 0);
        entry.shown = urlPart(url.get(), CURLUPART_URL);
        if (entry.shown.ends_with('/'))
            entry.shown.pop_back(); // SNPP has no path
        return {};
    }

    // WCTP: sender= and security= are ours; any other parameter, and any user and password, go to the gateway.
    std::string kept;
    std::string shownQuery;
    const std::string query = urlPart(url.get(), CURLUPART_QUERY);
    for (std::size_t start = 0; start < query.size();) {
        auto end = query.find('&', start);
        if (end == std::string::npos)
            end = query.size();
        const std::string_view pair = std::string_view(query).substr(start, end - start);
        start = end + 1;
        if (pair.empty())
            continue;
        const auto equals = pair.find('=');
        const std::string_view key = pair.substr(0, equals);
        const std::string value = equals == std::string_view::npos ? std::string() : decoded(pair.substr(equals + 1));
        if (key == "security")
            entry.secret = value;
        else if (key == "sender")
            entry.user = value;
        else
            kept += (kept.empty() ? "" : "&") + std::string(pair);
        shownQuery += (shownQuery.empty() ? "" : "&") + (key == "security" ? "security=***" : std::string(pair));
    }
    curl_url_set(url.get(), CURLUPART_SCHEME, entry.tls ? "https" : "http", 0);
    curl_url_set(url.get(), CURLUPART_QUERY, kept.empty() ? nullptr : kept.c_str(), 0);
    entry.postUrl = urlPart(url.get(), CURLUPART_URL);
    curl_url_set(url.get(), CURLUPART_SCHEME, schemeName.c_str(), CURLU_NON_SUPPORT_SCHEME);
    curl_url_set(url.get(), CURLUPART_QUERY, shownQuery.c_str(), 0);
    if (hasPassword)
        curl_url_set(url.get(), CURLUPART_PASSWORD, "***", 0);
    entry.shown = urlPart(url.get(), CURLUPART_URL);
    return {};
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
    if (target.find("://") != std::string_view::npos)
        return parseUrl(target, entry);
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
    if (!shown.empty())
        return shown;
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
        if (const auto ca = afterWord(line, "CA"); ca && !ca->empty() && (ca->front() == ' ' || ca->front() == '\t')) {
            plan.caFile = std::string(trimBlanks(*ca));
            continue;
        }
        const auto rest = afterWord(line, "DIAL");
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
