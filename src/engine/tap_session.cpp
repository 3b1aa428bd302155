#include "engine/tap_session.h"

#include "engine/call_context.h"
#include "engine/check_codes.h"
#include "engine/queue_entry.h"
#include "engine/tap_block.h"
#include "engine/wait_rounds.h"
#include "store/text.h"

#include <algorithm>

namespace tolvane::engine {
namespace {

const std::string kEscEot { kEsc, kEot };
const std::string kLogOnRepeat = std::string(1, kEsc) + "PG1\r";

void add(std::int16_t& value, int delta)
{
    value = static_cast<std::int16_t>(value + delta);
}

} // namespace

TapSession::Result TapSession::run()
{
    const Step loggedOn = logOn();
    if (loggedOn != Step::Go)
        return loggedOn == Step::HangUp ? Result::HangUp : Result::Ended;
    if (goAhead() != Step::Go)
        return Result::Ended;
    if (sendPages() != Step::Go)
        return Result::Ended;
    return signOff();
}

void TapSession::writeLogOn(bool withPassword)
{
    std::string line = kLogOnRepeat;
    if (withPassword && !m_plan.password.empty())
        line = std::string(1, kEsc) + "PG1" + blankControlCharacters(m_plan.password) + "\r";
    m_call.write(line);
}

bool TapSession::carrierGone() const
{
    return m_call.receiveBuffer.find("NO CARRIER") != std::string::npos;
}

void TapSession::terminalHungUp()
{
    // Every page already had its answer and its log line: nothing was lost, so this ends like a sign-off.
    m_call.log("The terminal hung up without signing off; every page had its answer");
}

void TapSession::PageTally::answered(const PageOutcome& reply)
{
    if (!outcome || (outcome->delivered() && (!reply.delivered() || reply.kind != OutcomeClass::Delivered)))
        outcome = reply;
}

PageOutcome TapSession::pageOutcome(const PageTally& tally)
{
    // The last sending of the page decides, as it does the sent count: one acknowledged after an RS is
    // delivered, though its log line counts the RS as an error. Taken for refused, it would be sent twice.
    if (tally.outcome)
        return *tally.outcome;
    return tally.errors == 0 ? PageOutcome {} : blockOutcome({}, BlockReply::Nak);
}

void TapSession::carrierLost(std::string_view name)
{
    m_call.endWith(callFailureOutcome(CallFailure::CarrierLost), name);
    m_call.carrierLost();
}

TapSession::Step TapSession::logOn()
{
    // The receive buffer still holds what arrived while dialling ("CONNECT ...").
    m_call.log("Waiting for ID=");
    // A CR every 1.5 s, the first at once, for 75 rounds.
    constexpr int kCrEveryMs = 1500;
    WaitRounds wait(m_call, kCrEveryMs);
    long long nextCrMs = 0;
    for (;;) {
        m_call.pacer.yield();
        if (wait.reached(nextCrMs)) {
            m_call.write("\r");
            // A round missed while the window had the thread is skipped, not made up for in a burst.
            while (wait.reached(nextCrMs))
                nextCrMs += kCrEveryMs;
        }
        wait.pause();
        wait.pullAndLog();
        const bool timedOut = wait.reached(75 * kCrEveryMs);
        for (std::size_t pos = 0; pos < m_call.scanPositions(); ++pos) {
            if (m_call.bufferHas(pos, "ID=")) {
                m_call.log("Got ID=");
                m_call.progress("Loging into Pager Company");
                m_call.receiveBuffer.clear();
                if (!m_plan.password.empty())
                    m_call.log("Sending Auto Code <ESC>PG1 & PASSWORD");
                else
                    m_call.log("Sending Auto Code <ESC>PG1");
                writeLogOn(true);
                return Step::Go;
            }
            if (m_call.bufferHas(pos, "NO CARRIER")) {
                carrierLost();
                return Step::Ended;
            }
            if (timedOut) {
                m_call.logFailure(CallFailure::NoIdPrompt);
                m_call.view.messageBox("Never got ID+ PLEASE TRY AGAIN");
                m_call.write(kHangUpLine);
                m_call.status("Dissconnected");
                m_call.lamp(Lamp::Red);
                return Step::HangUp;
            }
            if (m_call.state.cancelRequest) {
                m_call.cancelCall();
                return Step::Ended;
            }
        }
    }
}

TapSession::Step TapSession::goAhead()
{
    m_call.progress("Waiting for ok to send data");
    m_call.log("Waiting for Ok to send message [p");
    // 50 rounds of 250 ms, the log-on repeated after the 14th and the 29th.
    constexpr long long kRepeatsAtMs[] = { 14 * 250, 29 * 250 };
    WaitRounds wait(m_call, 250);
    std::size_t repeats = 0;
    int naks = 0;
    for (;;) {
        wait.pause();
        m_call.pacer.yield();
        wait.pullAndLog();
        for (std::size_t pos = 0; pos < m_call.scanPositions(); ++pos) {
            if (m_call.bufferHas(pos, "[p")) {
                m_call.log("Got [p ");
                // Keep what came after it: a lost carrier in the same read must stop the first block.
                m_call.receiveBuffer.erase(0, pos + 2);
                return Step::Go;
            }
            if (m_call.bufferHas(pos, std::string(1, kNak))) {
                if (++naks < 3) {
                    m_call.log("Retransmitting...");
                    m_call.receiveBuffer.clear();
                    writeLogOn(false);
                    break;
                }
                m_call.endWith(logOnOutcome(m_call.receiveBuffer));
                m_call.view.messageBox("<NAK>Checksum or Transmission error");
                m_call.closePort();
                return Step::Ended;
            }
            if (m_call.bufferHas(pos, kEscEot)) {
                m_call.endWith(logOnOutcome(m_call.receiveBuffer));
                m_call.view.messageBox("<ESC><EOT>Paging company hanging up - ERROR");
                m_call.closePort();
                return Step::Ended;
            }
            if (m_call.bufferHas(pos, "NO CARRIER")) {
                carrierLost();
                return Step::Ended;
            }
            if (m_call.state.cancelRequest) {
                m_call.cancelCall();
                return Step::Ended;
            }
        }
        if (repeats < std::size(kRepeatsAtMs) && wait.reached(kRepeatsAtMs[repeats])) {
            ++repeats;
            m_call.log("Sending Auto Code <ESC>PG1 AGAIN!");
            writeLogOn(false);
        }
        if (wait.reached(50 * 250)) {
            m_call.logFailure(CallFailure::NoGoAhead);
            m_call.view.messageBox("Paging Company never returned OK to send message. Please resend.");
            m_call.write(kHangUpLine);
            m_call.status("Modem Initialization Error");
            m_call.lamp(Lamp::Red);
            m_call.closePort();
            return Step::Ended;
        }
    }
}

std::string composePageText(
    const CallPlan& plan, const std::string& entry, std::int16_t messageLimit, std::string (*clean)(std::string_view))
{
    std::string column = store::rtrim(messageColumn(entry, messageLimit));
    if (column.size() > plan.messageRoom)
        column.resize(plan.messageRoom);
    return clean(plan.messagePrefix) + store::rtrim(clean(column)) + clean(plan.messageSuffix);
}

std::string TapSession::pageMessage(const std::string& entry) const
{
    return composePageText(m_plan, entry, m_call.state.messageLimit, blankControlCharacters);
}

void TapSession::settleSentCount(const PageTally& tally)
{
    // Each further piece takes back the acknowledgment of the one before, so a page in several pieces
    // counts once; held within 0..1 so refused pieces can never lower the count.
    const int added = std::clamp(tally.acks - tally.furtherPieces, 0, 1);
    m_call.state.sentCount = static_cast<std::int16_t>(tally.sentAtStart + added);
}

TapSession::Step TapSession::sendPages()
{
    m_call.progress("Sending Data...");
    for (int page = 0; page < m_plan.pageCount; ++page) {
        PageTally tally;
        tally.sentAtStart = m_call.state.sentCount;
        tally.name = store::trim(nameColumn(m_call.queue.entry(m_call.state.queueCursor)));
        bool again = true;
        while (again) {
            again = false;
            const std::string entry = m_call.queue.entry(m_call.state.queueCursor);
            const std::string pagerId = store::rtrim(blankControlCharacters(pagerIdColumn(entry)));
            const std::string message = pageMessage(entry);
            m_call.log("Preparing Message...");
            const std::vector<std::string> pieces = splitMessage(message, pagerId.size());
            for (std::size_t i = 0; i < pieces.size(); ++i) {
                // What came after the last acknowledgment: a lost carrier there leaves nobody to send to.
                if (carrierGone()) {
                    carrierLost(tally.name);
                    return Step::Ended;
                }
                if (i > 0) {
                    ++tally.furtherPieces;
                    settleSentCount(tally);
                    add(m_call.state.runPageCounter, -1);
                }
                m_call.log("Sending Pin# " + pagerId);
                m_call.log("Sending Message: " + pieces[i]);
                m_call.queue.pageLeaving(m_call.state.queueCursor);
                m_call.write(buildTransactionBlock(pagerId, pieces[i]));
                m_call.discardInput();
                m_call.receiveBuffer.clear();
                add(m_call.state.runPageCounter, 1);
                m_call.progress("Waiting Acknowledgment..");
                m_call.log("Waiting for Acknowledgment");

                const Reply reply = awaitReply(tally);
                settleSentCount(tally);
                if (reply == Reply::Ended)
                    return Step::Ended;
                if (reply == Reply::Resend) {
                    // The page goes again from its first piece: its outcome is the new sending's.
                    tally.outcome.reset();
                    again = true;
                    break;
                }
                if (tally.errors == 2)
                    break;
            }
        }
        logPage(tally);
    }
    m_everyPageAnswered = true;
    return Step::Go;
}

TapSession::Reply TapSession::awaitReply(PageTally& tally)
{
    WaitRounds wait(m_call, 100);
    for (;;) {
        m_call.pacer.yield();
        if (m_call.waitingCount() > 0) {
            m_call.pull();
            m_call.logArrival();
            for (std::size_t pos = 0; pos < m_call.receiveBuffer.size(); ++pos) {
                const char c = m_call.receiveBuffer[pos];
                // The terminal's message sequences stand before its reply character.
                const std::string_view said = std::string_view(m_call.receiveBuffer).substr(0, pos);
                if (c == kAck) {
                    const PageOutcome outcome = blockOutcome(said, BlockReply::Ack);
                    tally.answered(outcome);
                    // A failure code beside the ACK refuses the page all the same.
                    if (outcome.delivered()) {
                        m_call.log("Message Sent...");
                        ++tally.acks;
                    } else {
                        ++tally.errors;
                    }
                    // What followed the ACK in the same read stays: after the last page it may be the
                    // terminal hanging up.
                    m_call.receiveBuffer.erase(0, pos + 1);
                    return Reply::Answered;
                }
                if (c == kNak) {
                    m_call.log("Checksum or Transmission error");
                    tally.answered(blockOutcome(said, BlockReply::Nak));
                    ++tally.errors;
                    return Reply::Answered;
                }
                if (c == kRs) {
                    if (++tally.errors < 3) {
                        m_call.logOutcome(blockOutcome(said, BlockReply::Rs), tally.name);
                        m_call.log("Resending Message...");
                        add(m_call.state.runPageCounter, -1);
                        return Reply::Resend;
                    }
                    tally.answered(blockOutcome(said, BlockReply::Rs));
                    m_call.log("Invalid Pager or Transaction violates system rules");
                    m_call.log("Message Length may be too long for paging company");
                    return Reply::Answered;
                }
                if (m_call.bufferHas(pos, kEscEot)) {
                    m_call.log("Paging company hanging up");
                    tally.answered(blockOutcome(said, BlockReply::EscEot));
                    ++tally.errors;
                    return Reply::Answered;
                }
                if (m_call.bufferHas(pos, "NO CARRIER")) {
                    carrierLost(tally.name);
                    return Reply::Ended;
                }
            }
        }
        if (m_call.state.cancelRequest) {
            m_call.cancelCall();
            return Reply::Ended;
        }
        // 1001 rounds of 100 ms.
        wait.pause();
        if (wait.reached(1001 * 100)) {
            m_call.endWith(callFailureOutcome(CallFailure::NoAnswer), tally.name);
            m_call.view.messageBox("Paging Company never returned Acknowledgment for sent message.");
            m_call.write(kHangUpLine);
            m_call.status("Modem Initialization Error");
            m_call.lamp(Lamp::Red);
            m_call.closePort();
            return Reply::Ended;
        }
    }
}

void TapSession::logPage(const PageTally& tally)
{
    if (tally.outcome)
        m_call.logOutcome(*tally.outcome, tally.name);
    m_call.log("Updating Log File");
    const std::int16_t index = m_call.state.queueCursor;
    const std::string entry = m_call.queue.entry(index);
    const std::string line
        = pageLogLine(tally.errors == 0 ? "PAGE SENT: " : "ERROR FOR: ", entry, m_call.state.messageLimit);
    add(m_call.state.queueCursor, 1);
    m_call.writePageLog(line);
    m_call.queue.pageAnswered(index, pageOutcome(tally));
    if (m_call.state.sentCount == tally.sentAtStart)
        m_call.state.refusedPages.push_back(store::rtrim(nameColumn(entry)) + " ("
            + (tally.outcome ? tally.outcome->said() : std::string("no answer")) + ")");
}

TapSession::Result TapSession::signOff()
{
    if (carrierGone()) {
        terminalHungUp();
        return Result::HangUp;
    }
    m_call.write(std::string { kEot, kCr });
    m_call.receiveBuffer.clear();
    m_call.log("Sending EOT and Checking for Errors");
    // How long to wait for the terminal's goodbye is ours to choose: 50 rounds of 250 ms.
    WaitRounds wait(m_call, 250);
    for (;;) {
        m_call.pacer.yield();
        if (m_call.waitingCount() > 0) {
            m_call.pull();
            m_call.logArrival();
            for (std::size_t pos = 0; pos < m_call.receiveBuffer.size(); ++pos) {
                // Tested at every position, so a known code is explained once per character.
                if (m_call.receiveBuffer.size() == 3)
                    checkCodes(m_call.receiveBuffer, m_call.view);
                if (m_call.bufferHas(pos, kEscEot)) {
                    m_call.log("Paging company hanging up");
                    m_call.status("Page Was Sent");
                    return Result::HangUp;
                }
                if (m_call.bufferHas(pos, "NO CARRIER")) {
                    terminalHungUp();
                    return Result::HangUp;
                }
            }
        }
        if (m_call.state.cancelRequest) {
            m_call.cancelCall();
            return Result::Ended;
        }
        wait.pause();
        if (wait.reached(50 * 250)) {
            m_call.view.messageBox("Modem Hang-up");
            m_call.write(kHangUpLine);
            m_call.status("Modem Hangup Error");
            m_call.closePort();
            return Result::Ended;
        }
    }
}

} // namespace tolvane::engine
