#pragma once

#include "testkit/scripted_line.h"

#include <string>

namespace tolvane::testkit {

// The terminal's bytes, written out so tests can script their own answers.
namespace wire {
inline const std::string kAck = "\x06\r";
inline const std::string kNak = "\x15\r";
inline const std::string kRs = "\x1e\r";
inline const std::string kEscEot = "\x1b\x04\r";
inline const std::string kGoAhead = "\x1b[p\r";
} // namespace wire

struct HappyTerminalTimes {
    int modemMs = 100; // "OK" to the initialisation string
    int connectMs = 1000; // "CONNECT" after the dial line
    int terminalMs = 50; // every answer of the paging terminal
    std::string connectText = "CONNECT 9600";
};

// A modem and paging terminal where everything goes right: OK to the initialisation string (and to
// "+++", ATH...), CONNECT after ATD, "ID=" to each lone CR, ACK and ESC [p to the log-on, ACK to
// every transaction block, ESC EOT after EOT CR. Rules added to the line before this call win over it.
inline void addHappyTerminal(ScriptedLine& line, const HappyTerminalTimes& times = {})
{
    const std::string ok = "\r\nOK\r\n";
    line.whenWriteContains("ATD", "\r\n" + times.connectText + "\r\n", times.connectMs)
        .whenWriteContains("+++", ok, times.modemMs)
        .whenWriteContains("AT", ok, times.modemMs)
        .whenWriteIs("\r", "ID=", times.terminalMs)
        .whenWriteContains("\x1bPG1", wire::kAck + wire::kGoAhead, times.terminalMs)
        .whenWriteContains("\x02", wire::kAck, times.terminalMs)
        .whenWriteIs("\x04\r", wire::kEscEot, times.terminalMs);
}

} // namespace tolvane::testkit
