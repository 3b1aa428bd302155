#pragma once

#include "simulator/simulator_options.h"

#include <optional>
#include <string>

namespace tolvane::simulator {

// One page as the far end saw it: a TAP page the terminal accepted or whose checksum was wrong, or a numeric page
// whose tones were keyed. Text is the Windows-1252 bytes received on the line.
struct PageRecord {
    std::string kind; // "tap" or "numeric"
    std::string pagerId; // TAP: field 1 of the transaction; numeric: the number dialled
    std::string message; // TAP: field 2; numeric: the tones keyed after the pause, "#" included
    std::string password; // the password of the log-on that opened the session
    std::optional<bool> checksumOk; // no checksum on a numeric page
    std::string reply; // the terminal's answer ("ACK", or "NAK" and the like for a bad checksum); numeric: "KEYED"
    Millis at { 0 };
};

enum class TranscriptDirection {
    FromClient,
    ToClient,
    Event // something that happened on the line, in words
};

struct TranscriptEntry {
    Millis at { 0 };
    TranscriptDirection direction = TranscriptDirection::Event;
    std::string bytes;
};

} // namespace tolvane::simulator
