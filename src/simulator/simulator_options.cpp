#include "simulator/simulator_options.h"

#include <algorithm>
#include <cctype>

namespace tolvane::simulator {

namespace {

std::string upperTrimmed(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

} // namespace

std::vector<std::string> splitList(std::string_view text)
{
    // "5559999, 5558888" is how a person types a list: blanks around an item are not part of it.
    const auto trimmed = [](std::string_view item) {
        const auto first = item.find_first_not_of(' ');
        if (first == std::string_view::npos)
            return std::string();
        return std::string(item.substr(first, item.find_last_not_of(' ') - first + 1));
    };
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::size_t start = 0;
    while (true) {
        const auto comma = text.find(',', start);
        items.push_back(
            trimmed(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return items;
}

std::string_view scriptedReplyName(ScriptedReply reply)
{
    switch (reply) {
    case ScriptedReply::Auto:
        return "AUTO";
    case ScriptedReply::Ack:
        return "ACK";
    case ScriptedReply::Nak:
        return "NAK";
    case ScriptedReply::Rs:
        return "RS";
    case ScriptedReply::Eot:
        return "EOT";
    case ScriptedReply::None:
        return "NONE";
    case ScriptedReply::Drop:
        return "DROP";
    case ScriptedReply::TryLater:
        return "512";
    }
    return "AUTO";
}

std::optional<std::vector<ScriptedReply>> parseReplyScript(std::string_view text, std::string& error)
{
    static constexpr ScriptedReply all[] = { ScriptedReply::Auto, ScriptedReply::Ack, ScriptedReply::Nak,
        ScriptedReply::Rs, ScriptedReply::Eot, ScriptedReply::None, ScriptedReply::Drop, ScriptedReply::TryLater };
    std::vector<ScriptedReply> script;
    for (const auto& item : splitList(text)) {
        const auto word = upperTrimmed(item);
        const auto* found = std::find_if(
            std::begin(all), std::end(all), [&](ScriptedReply r) { return scriptedReplyName(r) == word; });
        if (found == std::end(all)) {
            error = "unknown reply \"" + item + "\" (use ACK, NAK, RS, 512, EOT, NONE, DROP or AUTO)";
            return std::nullopt;
        }
        script.push_back(*found);
    }
    return script;
}

std::optional<std::vector<std::string>> parseDialResults(std::string_view text, std::string& error)
{
    std::vector<std::string> results;
    for (const auto& item : splitList(text)) {
        const auto word = upperTrimmed(item);
        bool known = word == "BUSY" || word == "NO DIAL TONE" || word == "NO CARRIER" || word == "NO ANSWER"
            || word == "NONE" || word == "CONNECT";
        if (!known && word.rfind("CONNECT ", 0) == 0) {
            const auto speed = std::string_view(word).substr(8);
            known = !speed.empty()
                && std::all_of(speed.begin(), speed.end(), [](char c) { return c >= '0' && c <= '9'; });
        }
        if (!known) {
            error = "unknown dial result \"" + item
                + "\" (use CONNECT, CONNECT <speed>, BUSY, NO DIAL TONE, NO CARRIER, NO ANSWER or NONE)";
            return std::nullopt;
        }
        results.push_back(word);
    }
    if (results.empty()) {
        error = "the dial result list is empty";
        return std::nullopt;
    }
    return results;
}

} // namespace tolvane::simulator
