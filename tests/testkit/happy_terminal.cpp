#include "testkit/happy_terminal.h"

namespace tolvane::testkit {

void addHappyTerminal(ScriptedLine& line, const HappyTerminalTimes& times)
{
    const std::string ok = "\r\nOK\r\n";
    line.whenWriteContains("ATD", "\r\n" + times.connectText + "\r\n", times.connectMs)
        .whenWriteContains("+++", ok, times.modemMs)
        .whenWriteContains("AT", ok, times.modemMs)
        .whenWriteIs("\r", "ID=", times.terminalMs)
        .whenWriteContains("\x1bPG1", wire::kAck + wire::kGoAhead, times.terminalMs)
        .whenWriteContains("\x02", wire::kAck, times.terminalMs)
        .whenWriteIs(std::string("\x04\r"), wire::kEscEot, times.terminalMs);
}

} // namespace tolvane::testkit
