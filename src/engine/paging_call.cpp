#include "engine/paging_call.h"

#include "engine/call_context.h"
#include "engine/file_limits.h"
#include "engine/gateway_session.h"
#include "engine/hang_up.h"
#include "engine/modem_link.h"
#include "engine/numeric_sender.h"
#include "engine/queue_entry.h"
#include "engine/serial_messages.h"
#include "engine/tap_session.h"
#include "store/record_file.h"
#include "store/settings.h"
#include "store/store_error.h"
#include "store/text.h"

#include <algorithm>
#include <exception>

namespace tolvane::engine {
namespace {

constexpr std::string_view kSource = "Tolvane";
constexpr int kInternalError = 51;

} // namespace

PagingCall::PagingCall(SerialLine& line, Pacer& pacer, CallView& view, PageQueue& queue,
    const store::DataFolder& folder, RunState& state, Pacing pacing)
    : m_line(line)
    , m_pacer(pacer)
    , m_view(view)
    , m_queue(queue)
    , m_folder(folder)
    , m_state(state)
    , m_pacing(pacing)
{
}

int messageRoom(const store::TerminalRecord& terminal, const store::RunningSettings& settings)
{
    if (terminal.ServiceType != 1 || terminal.MaxChars < 1)
        return terminal.MaxChars;
    const auto affixes = fieldText(settings.MessagePrefix).size() + fieldText(settings.MessageSuffix).size();
    return std::max(1, terminal.MaxChars - static_cast<int>(affixes));
}

void PagingCall::pageThePeople(std::int16_t count, std::int16_t first)
{
    // One call at a time, and none inside a forced hang-up, which holds the port as a call does.
    if (holdsPort())
        return;
    m_inProgress = true;
    // Every early end leaves it set; only the ends that reached each page clear it.
    m_state.lastCallFailed = true;
    m_state.lastCallEnd = { OutcomeClass::CallFailed, {}, "the call ended before the page was sent" };
    const std::int16_t sentBefore = m_state.sentCount;
    CallContext call(m_line, m_pacer, m_view, m_queue, m_folder, m_state);
    call.pacing = m_pacing;
    const auto fail = [&](int number, const char* description) {
        m_state.lastCallEnd = { OutcomeClass::CallFailed, {}, description };
        m_view.messageBox(generalErrorMessage(number, kSource, description), "Error");
        call.lamp(Lamp::Red);
        call.closePort();
    };
    try {
        runCall(call, count, first);
    } catch (const LineFlooded& flood) {
        // Ended as a wait's time-out ends a call: no reply will come out of such a line.
        call.log(flood.what());
        m_state.lastCallEnd = { OutcomeClass::CallFailed, {}, flood.what() };
        m_view.messageBox(flood.what());
        call.write(kHangUpLine);
        call.status("Dissconnected");
        m_view.setLamp(Lamp::Red);
        call.closePort();
    } catch (const store::StoreError& error) {
        // A data file that cannot be read: report it and leave the line as a failed call would.
        fail(error.number(), error.what());
    } catch (const SerialError& error) {
        // The port failed where the call cannot go on without it (the numeric page's dial line).
        fail(error.number(), error.what());
    } catch (const std::exception& error) {
        // Whatever else goes wrong, the call must end: a call left "in progress" would refuse every later one.
        fail(kInternalError, error.what());
    }
    showCallEnd(call, m_state.sentCount - sentBefore >= count);
    m_inProgress = false;
    // Every end, early or normal: the host restarts its clock and re-enables its commands.
    m_view.callEnded();
}

void PagingCall::runCall(CallContext& call, std::int16_t count, std::int16_t first)
{
    // Each call starts at the first entry of its own run, wherever an earlier call left the cursor.
    m_state.queueCursor = first;
    call.receiveBuffer.clear();
    if (m_line.isOpen())
        forcedHangUp(call);
    m_state.cancelRequest = false;
    call.lamp(Lamp::Yellow);
    m_view.clearLog();
    call.log(call.pacing == Pacing::Prompt ? "Pacing: prompt (waits for replies)" : "Pacing: standard (fixed pauses)");
    call.progress("Preparing Page...");
    call.log("Preparing Page...");
    const store::RunningSettings settings = store::checkSettings(m_folder);
    if (settings.ShowConnectionWindow)
        m_view.showConnectionWindow();
    // The half-second start-up pause only lets the window catch up; under prompt pacing one yield does that.
    if (call.pacing == Pacing::Standard)
        m_pacer.pauseYielding(500);
    else
        m_pacer.yield();
    call.log("Page Ready...");

    const std::string company = companyColumn(m_queue.entry(m_state.queueCursor));
    CallPlan plan;
    plan.pageCount = count;
    plan.messagePrefix = fieldText(settings.MessagePrefix);
    plan.messageSuffix = fieldText(settings.MessageSuffix);
    bool found = false;
    // Every record of that name is taken in turn, so the last one wins.
    for (const auto& terminal :
        store::readAllRecords<store::TerminalRecord>(m_folder.pathOf<store::TerminalRecord>())) {
        if (store::fixedText(terminal.CompanyName, 25) != company)
            continue;
        found = true;
        plan.terminal = terminal;
        plan.password = fieldText(terminal.Password);
    }
    if (!found) {
        call.logFailure(CallFailure::CompanyMissing);
        m_view.messageBox("Warning.. The Users' Paging company had been deleted.. Please Check Users' Settings");
        return;
    }
    const bool numeric = plan.terminal.ServiceType != 1;
    // The prefix and suffix go into every alphanumeric page too: what does not fit beside them is cut, or the
    // terminal would refuse the whole page. A numeric call dials its first page only.
    const std::size_t affixes = numeric ? 0 : plan.messagePrefix.size() + plan.messageSuffix.size();
    const int maxChars = clampedMaxChars(plan.terminal.MaxChars);
    plan.messageRoom = static_cast<std::size_t>(std::max(0, maxChars - static_cast<int>(affixes)));
    for (int page = 0; page < (numeric ? 1 : count); ++page) {
        const std::string text = store::rtrim(messageColumn(m_queue.entry(first + page), m_state.messageLimit));
        if (text.size() > plan.messageRoom) {
            m_view.messageBox("Warning.. The message is longer than the paging company will accept... The whole "
                              "message will not be sent.");
            break;
        }
    }

    const auto config = store::readRecordAt<store::ConfigRecord>(m_folder.pathOf<store::ConfigRecord>());
    const std::string dial = dialString(config, plan.terminal);

    ModemLink link(call);
    const ModemLink::Result connected = link.connect(plan.terminal, dial, numeric);
    if (connected == ModemLink::Result::Ended)
        return;
    if (connected == ModemLink::Result::ModemReady) {
        std::string pageText = messageColumn(m_queue.entry(m_state.queueCursor), m_state.messageLimit);
        if (store::rtrim(pageText).size() > plan.messageRoom)
            pageText.resize(plan.messageRoom);
        sendDigitalPage(call, dial, pageText, company);
        m_state.lastCallFailed = false;
        return;
    }

    // A number that leads to a paging gateway on the internet: the gateway's protocol instead of TAP. The
    // gateway session has ended its connection itself, and no modem stands behind the line to hang up.
    bool hangUp = false;
    const std::unique_ptr<GatewayLink> gateway = m_line.takeGatewayLink();
    if (gateway) {
        GatewaySession session(call, plan, *gateway);
        hangUp = session.run() == GatewaySession::Result::HangUp;
        m_state.lastCallFailed = !session.everyPageAnswered();
    } else {
        TapSession session(call, plan);
        hangUp = session.run() == TapSession::Result::HangUp;
        m_state.lastCallFailed = !session.everyPageAnswered();
    }
    if (!hangUp)
        return;
    if (gateway)
        m_view.hideConnectionWindow();
    else
        link.hangUp();
    // The sent count is the run's; the lamp (showCallEnd) tells whether this call's own pages went.
    if (m_state.sentCount != 0)
        call.status("(" + store::numberText(m_state.sentCount) + ")" + " Page(s) Were Sent");
    else
        call.status("Error(s) Encounterd... See Log File!");
    call.closePort();
    m_view.refreshCommands();
}

void PagingCall::showCallEnd(CallContext& call, bool everyPageDelivered)
{
    // However the call ended, the status and the lamp say how: red when a page of it was not delivered,
    // green when all were, and never a status that reads as a step still under way.
    if (!everyPageDelivered) {
        if (call.statusInProgress)
            call.status(kPagesNotSent);
        if (call.lampShown != Lamp::Red)
            call.lamp(Lamp::Red);
    } else if (call.lampShown == Lamp::Yellow) {
        call.lamp(Lamp::Green);
    }
}

void PagingCall::cancel()
{
    m_state.cancelRequest = true;
    m_view.hideConnectionWindow();
}

void PagingCall::forceHangUp()
{
    // Its waits let the window's events run: a second hang-up would talk over this one.
    if (m_hangingUp)
        return;
    m_hangingUp = true;
    // The host disables sending while the hang-up holds the port, and enables it again after.
    m_view.refreshCommands();
    CallContext call(m_line, m_pacer, m_view, m_queue, m_folder, m_state);
    try {
        forcedHangUp(call);
    } catch (...) {
        m_hangingUp = false;
        throw;
    }
    m_hangingUp = false;
    m_view.refreshCommands();
}

bool PagingCall::portOpen() const
{
    return m_line.isOpen();
}

} // namespace tolvane::engine
