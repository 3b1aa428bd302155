#pragma once

#include "engine/call_view.h"
#include "engine/pacer.h"
#include "engine/pacing.h"
#include "engine/page_outcome.h"
#include "engine/page_queue.h"
#include "engine/serial_line.h"
#include "store/data_folder.h"
#include "store/records.h"
#include "store/settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::engine {

class CallContext;

// Run-wide values shared by the dispatcher, the paging call and the numeric sender.
struct RunState {
    std::int16_t queueCursor = 0; // 0-based index of the next entry a call reads
    std::int16_t sentCount = 0; // pages acknowledged in the current run
    std::int16_t runPageCounter = 0; // pages handed to paging companies since the last send command
    bool cancelRequest = false;
    std::int16_t messageLimit = 80; // characters of the message column a call reads
    // The last call ended before every page of its run was answered (or its numeric page dialled), so a
    // run over several companies can tell a partial success from a full one.
    bool lastCallFailed = false;
    // Why the last call ended early: what became of the pages of its run that it never answered for.
    PageOutcome lastCallEnd;
    // Each page of the run a paging company refused, as "name (the terminal's reason)".
    std::vector<std::string> refusedPages;
};

// The last status of a call that ended early without a word of its own on how it ended.
inline constexpr std::string_view kPagesNotSent = "Page(s) Were Not Sent";

// How many characters of a message fit in a page to this company: its MaxChars less the message prefix
// and suffix that every alphanumeric page carries (a numeric page is dialled without them); at least 1.
// A MaxChars below 1 is returned as it is, for the caller's own fallback.
int messageRoom(const store::TerminalRecord& terminal, const store::RunningSettings& settings);

// Delivers the pages of one paging company in one telephone call, and stops the modem on request.
class PagingCall {
public:
    PagingCall(SerialLine& line, Pacer& pacer, CallView& view, PageQueue& queue, const store::DataFolder& folder,
        RunState& state, Pacing pacing = Pacing::Standard);
    PagingCall(const PagingCall&) = delete;
    PagingCall& operator=(const PagingCall&) = delete;

    // Sends `count` consecutive entries of one company, the first at index `first`.
    void pageThePeople(std::int16_t count, std::int16_t first);

    // The cancel command: the running call acts on it at its next polling round.
    void cancel();
    // Forced hang-up: talks to the modem until it confirms, and leaves the port closed.
    void forceHangUp();

    // The pacing of the calls to come; a call in progress keeps the one it began with.
    void setPacing(Pacing pacing) { m_pacing = pacing; }
    Pacing pacing() const { return m_pacing; }

    bool callInProgress() const { return m_inProgress; }
    // A call or a forced hang-up has the port: nothing else may start on it meanwhile.
    bool holdsPort() const { return m_inProgress || m_hangingUp; }
    // Whether the serial port is open (the cancel command is offered only then).
    bool portOpen() const;

private:
    void runCall(CallContext& call, std::int16_t count, std::int16_t first);
    void showCallEnd(CallContext& call, bool everyPageDelivered);

    SerialLine& m_line;
    Pacer& m_pacer;
    CallView& m_view;
    PageQueue& m_queue;
    const store::DataFolder& m_folder;
    RunState& m_state;
    Pacing m_pacing;
    bool m_inProgress = false;
    bool m_hangingUp = false;
};

} // namespace tolvane::engine
