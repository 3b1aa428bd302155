#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::simulator {

using Millis = std::chrono::milliseconds;

// How the modem answers command lines other than the escape sequence.
enum class ModemAnswers {
    Ok, // every command is carried out and answered OK (or its own result)
    Error, // every command is refused with ERROR and has no effect
    Nothing // a dead modem: no answer and no effect
};

// A scripted reply that overrides the terminal's own judgement for one log-on or one block.
enum class ScriptedReply {
    Auto, // the terminal decides as it normally would
    Ack,
    Nak,
    Rs,
    Eot, // ESC EOT, then the carrier drops
    None, // no answer at all
    Drop, // the carrier drops without an answer
    TryLater // "512" (temporarily cannot deliver), then RS
};

struct SimulatorOptions {
    // False for a paging service reached over TCP: no Hayes modem, the terminal answers from the first byte,
    // and it ends a call by closing the connection instead of dropping a carrier.
    bool modemInFront = true;
    // A real modem answers some tens of milliseconds after a command; some clients discard input right after
    // writing, so an instant answer would be unrealistically kind.
    Millis replyDelay { 40 };
    // Added on top of replyDelay for the terminal's reply to a transaction block.
    Millis blockReplyDelay { 0 };
    // From the dial command to the result code (ringing and answer).
    Millis connectDelay { 2000 };
    // Each comma in a dial string pauses the dialling, as the Hayes S8 register does.
    Millis commaPause { 2000 };
    // Silence needed before "+++" for it to count as the escape sequence rather than data.
    Millis escapeGuard { 1000 };

    // Result of each dial in turn; the last one repeats. "NONE" means the modem never answers the dial.
    std::vector<std::string> dialResults { "CONNECT 9600" };
    ModemAnswers modemAnswers = ModemAnswers::Ok;
    bool echo = false;

    // Blank: any log-on password is accepted.
    std::string password;
    // Pager IDs the terminal refuses with RS.
    std::vector<std::string> refusedPagerIds;
    // Replies for successive log-ons and blocks over the simulator's life; when a script runs out the terminal
    // decides for itself.
    std::vector<ScriptedReply> logonScript;
    std::vector<ScriptedReply> blockScript;
    // Once this many blocks have been answered the carrier drops (once in the simulator's life); 0 drops it right
    // after the go-ahead.
    std::optional<int> dropAfterBlocks;
    // Data characters of one block, from after STX up to the ETX, ETB or US, field separators included.
    int maxBlockChars = 250;
    // Invalid log-ons in one call before the terminal disconnects.
    int badLogonLimit = 3;
    // Consecutive checksum errors in one call before the terminal disconnects.
    int checksumErrorLimit = 3;
    // Silence on a connected line, in either direction, after which the terminal gives up ("501") and
    // disconnects; 0 waits for ever.
    Millis idleTimeout { 0 };
};

// Parsers for the list options; each returns an empty optional and sets `error` on a bad item.
std::optional<std::vector<ScriptedReply>> parseReplyScript(std::string_view text, std::string& error);
std::optional<std::vector<std::string>> parseDialResults(std::string_view text, std::string& error);
std::vector<std::string> splitList(std::string_view text);
std::string_view scriptedReplyName(ScriptedReply reply);

} // namespace tolvane::simulator
