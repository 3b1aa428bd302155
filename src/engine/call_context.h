#pragma once

#include "engine/call_view.h"
#include "engine/pacer.h"
#include "engine/pacing.h"
#include "engine/page_outcome.h"
#include "engine/page_queue.h"
#include "engine/paging_call.h"
#include "engine/serial_line.h"
#include "store/data_folder.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tolvane::engine {

// A stored text field as the call uses it: trailing blanks removed, and the NUL filling of a record
// that was never written counts as blank too (a new, empty ADVANCE.DAT holds no modem strings).
std::string fieldText(std::string_view field);

inline constexpr std::string_view kHangUpLine = "+++ATH\r";

// A modem's or a terminal's reply is a few hundred bytes. A wait that has received this much without finding
// its reply is being flooded (line noise, a broken or hostile service), and the call ends.
inline constexpr std::size_t kFloodLimit = 64 * 1024;
// What the receive buffer keeps at most: the latest bytes, where a reply would be.
inline constexpr std::size_t kReceiveKeep = 64 * 1024;
// What one polling round shows of what arrived, in the connection log.
inline constexpr std::size_t kLogArrivalCut = 1024;

// Thrown by a wait's read once kFloodLimit bytes have come without its reply; the paging call ends as failed.
class LineFlooded : public std::runtime_error {
public:
    explicit LineFlooded(std::size_t bytes)
        : std::runtime_error(
            "the paging service sent " + std::to_string(bytes) + " bytes without a reply the call could read")
    {
    }
};

// What every part of a paging call works with: the injected line, pacer, view, queue and folder, the
// run-wide state and the receive buffer the waits accumulate into.
class CallContext {
public:
    CallContext(SerialLine& serialLine, Pacer& callPacer, CallView& callView, PageQueue& pageQueue,
        const store::DataFolder& dataFolder, RunState& runState)
        : line(serialLine)
        , pacer(callPacer)
        , view(callView)
        , queue(pageQueue)
        , folder(dataFolder)
        , state(runState)
    {
    }
    CallContext(const CallContext&) = delete;
    CallContext& operator=(const CallContext&) = delete;

    SerialLine& line;
    Pacer& pacer;
    CallView& view;
    PageQueue& queue;
    const store::DataFolder& folder;
    RunState& state;
    Pacing pacing = Pacing::Standard;
    std::string receiveBuffer;

    // Line operations once the port is open: a failing one is skipped and the call goes on, as the
    // modem may have dropped the line under us and the call must still reach its end.
    void write(std::string_view bytes);
    std::string readAll();
    int waitingCount();
    void discardInput();
    void setDtr(bool on);
    void closePort();
    // A wait for a reply begins: the flood count starts again.
    void beginWait() { m_waitBytes = 0; }
    // Reads whatever waits and appends it to the receive buffer, which keeps its last kReceiveKeep bytes;
    // true when something arrived. Throws LineFlooded when the wait has already had kFloodLimit bytes.
    bool pull();
    // Logs what the last pull brought (nothing arrived: an empty line), cut to kLogArrivalCut bytes.
    void logArrival();
    // A pause that waits for nothing in particular: kept under standard pacing, skipped under prompt
    // pacing, where the next wait returns as soon as its reply is in.
    void standardPause(int ms)
    {
        if (pacing == Pacing::Standard)
            pacer.sleepMs(ms);
    }

    void log(std::string_view text) { view.appendLog(std::string(text)); }
    // A status that says how something ended, and one that names a step still under way: a call that
    // ends early must not leave the second kind standing, as if it were still at work.
    void status(std::string_view text)
    {
        statusInProgress = false;
        view.setStatus(std::string(text));
    }
    void progress(std::string_view text)
    {
        statusInProgress = true;
        view.setStatus(std::string(text));
    }
    void lamp(Lamp colour)
    {
        lampShown = colour;
        view.setLamp(colour);
    }
    bool statusInProgress = false;
    Lamp lampShown = Lamp::Yellow;
    // What became of a page (or, without a name, of the call) in the connection log.
    void logOutcome(const PageOutcome& outcome, std::string_view name = {})
    {
        log(name.empty() ? outcome.words() : std::string(name) + ": " + outcome.words());
    }
    // The call ends before it answered for every page: logged, and kept as what became of the pages left.
    void endWith(const PageOutcome& outcome, std::string_view name = {})
    {
        logOutcome(outcome, name);
        state.lastCallEnd = outcome;
    }
    void logFailure(CallFailure failure) { endWith(callFailureOutcome(failure)); }

    // The connection is gone mid-call: say so, close the port and end the call.
    void carrierLost();
    // The cancel request found set by a wait: drop DTR and cancel the page in hand.
    void cancelCall();

    // Appends a line to LOG.DAT. The page's outcome stands whatever the disk says, but the log is the only
    // record of it, so a line that cannot be written is reported with its text rather than dropped.
    void writePageLog(const std::string& text);

    // Whether `text` starts at `pos` of the receive buffer.
    bool bufferHas(std::size_t pos, std::string_view text) const
    {
        return pos <= receiveBuffer.size() && receiveBuffer.compare(pos, text.size(), text) == 0;
    }
    // Positions a position-by-position scan visits: at least one, so the tests that do not depend on the
    // text (time-out, cancel) run even while nothing has been received.
    std::size_t scanPositions() const { return receiveBuffer.empty() ? 1 : receiveBuffer.size(); }

private:
    std::size_t m_waitBytes = 0;
    std::string m_arrival;
};

} // namespace tolvane::engine
