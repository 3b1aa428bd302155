#pragma once

#include "simulator/page_record.h"
#include "simulator/simulator_options.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolvane::simulator {

// What the terminal needs from the line it sits on.
class TapTerminalLine {
public:
    virtual ~TapTerminalLine() = default;
    // Sends bytes to the caller `delay` after the byte being handled arrived.
    virtual void sendToCaller(std::string bytes, Millis delay) = 0;
    // Drops the carrier `delay` after the byte being handled arrived (after anything sent before).
    virtual void dropCarrier(Millis delay) = 0;
    virtual void recordPage(PageRecord page) = 0;
    virtual void note(std::string text) = 0;
};

// The paging terminal's side of a TAP session: prompts for the log-on, checks blocks and answers them. It lives as
// long as the simulator, so that the reply scripts run over successive calls; each call starts with startCall().
class TapTerminal {
public:
    TapTerminal(const SimulatorOptions& options, TapTerminalLine& line);
    TapTerminal(const TapTerminal&) = delete;
    TapTerminal& operator=(const TapTerminal&) = delete;

    void startCall();
    void receive(char byte);
    // Nothing has passed on the line for the configured idle time.
    void timeOut();

private:
    enum class Phase { AwaitLogon, AwaitBlock, InBlock, Closing };

    void onLogonLine(const std::string& line);
    void acceptLogon(const std::string& password);
    void refuseLogon(const std::string& messageLine);
    void onBlockByte(char byte);
    void onBetweenBlocksLine(const std::string& line);
    void onBlock(const std::string& block);
    void answerBlock(std::string reply, bool transactionComplete, bool checksumOk, const std::string& body);
    void finishBlockReply(const std::string& bytes);
    void signOff();
    void hangUpWith(std::string bytes, Millis delay);
    void recordTransaction(const std::vector<std::string>& fields, bool checksumOk, const std::string& reply);
    ScriptedReply nextScripted(const std::vector<ScriptedReply>& script, std::size_t& index);
    Millis blockDelay() const { return m_options.replyDelay + m_options.blockReplyDelay; }

    const SimulatorOptions& m_options;
    TapTerminalLine& m_line;

    // Over the simulator's life.
    std::size_t m_logonScriptIndex = 0;
    std::size_t m_blockScriptIndex = 0;
    int m_blocksAnswered = 0;
    bool m_scheduledDropDone = false;

    // Per call.
    Phase m_phase = Phase::AwaitLogon;
    std::string m_lineBuffer;
    bool m_promptSent = false;
    int m_badLogons = 0;
    int m_checksumErrorRun = 0;
    std::string m_password;
    std::string m_block;
    bool m_blockEnded = false;
    std::vector<std::string> m_fields; // fields of the transaction so far, the last one perhaps unfinished
    bool m_lastFieldOpen = false; // the previous block ended in US
    bool m_transactionChecksumOk = true;
};

} // namespace tolvane::simulator
