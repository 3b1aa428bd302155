#include "simulator/linesim_options.h"

#include "store/codepage.h"

#include <charconv>

namespace tolvane::simulator {

namespace {

std::optional<int> wholeNumber(const std::string& text, int maximum)
{
    int value = 0;
    const auto* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || last != end || value < 0 || value > maximum)
        return std::nullopt;
    return value;
}

struct OptionSpec {
    const char* name;
    const char* argument; // nullptr for a flag
    const char* help;
};

constexpr OptionSpec kOptions[] = {
    { "--reply-delay-ms", "N", "modem and terminal answer N ms after a command or block (40)" },
    { "--block-reply-delay-ms", "N", "extra delay before the answer to a transaction block (0)" },
    { "--connect-delay-ms", "N", "from a dial command to its result (2000)" },
    { "--comma-pause-ms", "N", "pause for each comma in a dial string (2000)" },
    { "--escape-guard-ms", "N", "silence needed before +++ takes the modem back (1000)" },
    { "--dial-results", "LIST",
        "results of successive dials, the last repeating: CONNECT [speed], BUSY, NO DIAL TONE, NO CARRIER, "
        "NO ANSWER, NONE (\"CONNECT 9600\")" },
    { "--modem-answers", "ok|error|none", "how the modem answers commands (ok)" },
    { "--echo", nullptr, "echo commands, as ATE1 does" },
    { "--password", "TEXT", "log-on password the terminal requires (none: any is accepted)" },
    { "--refuse-ids", "LIST", "pager IDs the terminal refuses with RS, separated by commas" },
    { "--logon-replies", "LIST", "replies to successive log-ons: ACK, NAK, RS, EOT, NONE, DROP, AUTO" },
    { "--block-replies", "LIST",
        "replies to successive blocks, e.g. NAK,ACK or RS,RS,RS; 512 is \"temporarily cannot deliver\" with RS; "
        "AUTO lets the terminal judge" },
    { "--drop-after-blocks", "N", "drop the carrier once N blocks have been answered (0: right after the go-ahead)" },
    { "--max-block-chars", "N", "data characters allowed in one block (250)" },
    { "--bad-logon-limit", "N", "invalid log-ons before the terminal disconnects (3)" },
    { "--checksum-error-limit", "N", "checksum errors in a row before the terminal disconnects (3)" },
    { "--idle-timeout-ms", "N", "silence after which the terminal says 501 and disconnects (0: never)" },
    { "--tcp", "PORT",
        "serve the TAP terminal with no modem in front on 127.0.0.1:PORT (0: any free port), one call per "
        "connection; the modem options do not apply" },
    { "--snpp", "PORT",
        "serve an SNPP gateway (RFC 1861) on 127.0.0.1:PORT instead; the block replies and delay answer "
        "successive SENDs (ACK sent, RS 550, NAK 554, EOT 421, NONE, DROP), --password is the LOGI password" },
    { "--wctp", "PORT",
        "serve a WCTP 1.3 gateway over HTTP on 127.0.0.1:PORT instead; the block replies and delay answer "
        "successive requests (ACK 200, RS 403, NAK 604, EOT HTTP 503, NONE, DROP), --password is the security "
        "code" },
    { "--pages", "FILE", "append one JSON line per page received" },
    { "--transcript", "FILE", "write both directions of the line traffic, with times" },
    { "--max-seconds", "N", "exit after N seconds" },
    { "--help", nullptr, "show this help" },
};

constexpr int kMaxMillis = 3'600'000;

} // namespace

std::string linesimUsage()
{
    std::string text = "Usage: tolvane-linesim [options]\n"
                       "Serves a simulated modem and TAP paging terminal on a pseudo-terminal, or with --tcp the\n"
                       "terminal alone on a TCP port. The first line of output is \"PTY <device>\" or\n"
                       "\"TCP 127.0.0.1:<port>\".\n\nOptions:\n";
    for (const auto& option : kOptions) {
        std::string left
            = std::string("  ") + option.name + (option.argument ? std::string(" ") + option.argument : "");
        if (left.size() < 34)
            left.resize(34, ' ');
        else
            left += ' ';
        text += left + option.help + "\n";
    }
    return text;
}

std::optional<LinesimConfig> parseLinesimArguments(const std::vector<std::string>& arguments, std::string& error)
{
    LinesimConfig config;
    auto& sim = config.simulator;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> inlineValue;
        if (const auto equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.erase(equals);
        }
        const OptionSpec* known = nullptr;
        for (const auto& option : kOptions)
            if (name == option.name)
                known = &option;
        if (!known) {
            error = "unknown option \"" + arguments[i] + "\"";
            return std::nullopt;
        }
        std::string value;
        if (known->argument) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                error = name + " needs a value (" + known->argument + ")";
                return std::nullopt;
            }
        } else if (inlineValue) {
            error = name + " takes no value";
            return std::nullopt;
        }
        const auto millis = [&](Millis& target) {
            const auto number = wholeNumber(value, kMaxMillis);
            if (!number)
                error = name + " needs a whole number of milliseconds from 0 to 3600000, not \"" + value + "\"";
            else
                target = Millis(*number);
            return number.has_value();
        };
        const auto count = [&](int& target, int minimum) {
            const auto number = wholeNumber(value, 1'000'000);
            if (!number || *number < minimum)
                error = name + " needs a whole number from " + std::to_string(minimum) + ", not \"" + value + "\"";
            else
                target = *number;
            return number.has_value() && *number >= minimum;
        };
        bool ok = true;
        if (name == "--reply-delay-ms") {
            ok = millis(sim.replyDelay);
        } else if (name == "--block-reply-delay-ms") {
            ok = millis(sim.blockReplyDelay);
        } else if (name == "--connect-delay-ms") {
            ok = millis(sim.connectDelay);
        } else if (name == "--comma-pause-ms") {
            ok = millis(sim.commaPause);
        } else if (name == "--escape-guard-ms") {
            ok = millis(sim.escapeGuard);
        } else if (name == "--dial-results") {
            auto results = parseDialResults(value, error);
            ok = results.has_value();
            if (ok)
                sim.dialResults = std::move(*results);
        } else if (name == "--modem-answers") {
            if (value == "ok")
                sim.modemAnswers = ModemAnswers::Ok;
            else if (value == "error")
                sim.modemAnswers = ModemAnswers::Error;
            else if (value == "none")
                sim.modemAnswers = ModemAnswers::Nothing;
            else {
                error = "--modem-answers takes ok, error or none, not \"" + value + "\"";
                ok = false;
            }
        } else if (name == "--echo") {
            sim.echo = true;
        } else if (name == "--password") {
            // The line carries Windows-1252; the command line speaks UTF-8.
            sim.password = store::utf8ToCp1252(value);
        } else if (name == "--refuse-ids") {
            sim.refusedPagerIds.clear();
            for (const auto& id : splitList(value))
                sim.refusedPagerIds.push_back(store::utf8ToCp1252(id));
        } else if (name == "--logon-replies" || name == "--block-replies") {
            auto script = parseReplyScript(value, error);
            ok = script.has_value();
            if (ok)
                (name == "--logon-replies" ? sim.logonScript : sim.blockScript) = std::move(*script);
        } else if (name == "--drop-after-blocks") {
            int blocks = 0;
            ok = count(blocks, 0);
            if (ok)
                sim.dropAfterBlocks = blocks;
        } else if (name == "--max-block-chars") {
            ok = count(sim.maxBlockChars, 1);
        } else if (name == "--bad-logon-limit") {
            ok = count(sim.badLogonLimit, 1);
        } else if (name == "--checksum-error-limit") {
            ok = count(sim.checksumErrorLimit, 1);
        } else if (name == "--idle-timeout-ms") {
            ok = millis(sim.idleTimeout);
        } else if (name == "--tcp") {
            const auto port = wholeNumber(value, 65535);
            if (!port)
                error = "--tcp needs a port number from 0 to 65535, not \"" + value + "\"";
            ok = port.has_value();
            config.tcpPort = port;
        } else if (name == "--snpp" || name == "--wctp") {
            const auto port = wholeNumber(value, 65535);
            if (!port)
                error = name + " needs a port number from 0 to 65535, not \"" + value + "\"";
            ok = port.has_value();
            (name == "--snpp" ? config.snppPort : config.wctpPort) = port;
        } else if (name == "--pages") {
            config.pagesFile = value;
        } else if (name == "--transcript") {
            config.transcriptFile = value;
        } else if (name == "--max-seconds") {
            int seconds = 0;
            ok = count(seconds, 1);
            if (ok)
                config.maxSeconds = seconds;
        } else if (name == "--help") {
            config.help = true;
        }
        if (!ok) {
            if (error.rfind(name, 0) != 0)
                error = name + ": " + error;
            return std::nullopt;
        }
        if (known->argument && value.empty() && name != "--password" && name != "--refuse-ids"
            && name != "--logon-replies" && name != "--block-replies") {
            error = name + " needs a value (" + known->argument + ")";
            return std::nullopt;
        }
    }
    if (int(config.tcpPort.has_value()) + int(config.snppPort.has_value()) + int(config.wctpPort.has_value()) > 1) {
        error = "--tcp, --snpp and --wctp serve one thing each: give one of them";
        return std::nullopt;
    }
    return config;
}

} // namespace tolvane::simulator
