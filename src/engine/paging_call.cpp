#include "engine/paging_call.h"

#include "engine/call_context.h"
#include "engine/file_limits.h"
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

void PagingCall::pageThePeople(std::int16_t count, std::int16_t first)
{
    if (m_inProgress)
        return;
    m_inProgress = true;
    // Every early end leaves it set; only the ends that reached each page clear it.
    m_state.lastCallFailed = true;
    CallContext call(m_line, m_pacer, m_view, m_queue, m_folder, m_state);
    call.pacing = m_pacing;
    const auto fail = [&](int number, const char* description) {
        m_view.messageBox(generalErrorMessage(number, kSource, description), "Error");
        m_view.setLamp(Lamp::Red);
        call.closePort();
    };
    try {
        runCall(call, count, first);
    } catch (const LineFlooded& flood) {
        // Ended as a wait's time-out ends a call: no reply will come out of such a line.
        call.log(flood.what());
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
    m_view.setLamp(Lamp::Yellow);
    m_view.clearLog();
    call.log(call.pacing == Pacing::Prompt ? "Pacing: prompt (waits for replies)" : "Pacing: standard (fixed pauses)");
    call.status("Preparing Page...");
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

    const std::string entry = m_queue.entry(m_state.queueCursor);
    const std::string company = companyColumn(entry);
    const std::string messageText = messageColumn(entry, m_state.messageLimit);

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
        plan.maxChars = clampedMaxChars(terminal.MaxChars);
        if (messageText.size() > static_cast<std::size_t>(plan.maxChars)) {
            m_view.messageBox("Warning.. The message is longer than the paging company will accept... The whole "
                              "message will not be sent.");
            plan.cutFirstPage = true;
        }
        plan.password = fieldText(terminal.Password);
    }
    if (!found) {
        m_view.messageBox("Warning.. The Users' Paging company had been deleted.. Please Check Users' Settings");
        return;
    }

    const auto config = store::readRecordAt<store::ConfigRecord>(m_folder.pathOf<store::ConfigRecord>());
    const std::string dial = dialString(config, plan.terminal);
    const bool numeric = plan.terminal.ServiceType != 1;

    ModemLink link(call);
    const ModemLink::Result connected = link.connect(plan.terminal, dial, numeric);
    if (connected == ModemLink::Result::Ended)
        return;
    if (connected == ModemLink::Result::ModemReady) {
        std::string pageText = messageText;
        if (plan.cutFirstPage && pageText.size() > static_cast<std::size_t>(plan.maxChars))
            pageText.resize(static_cast<std::size_t>(plan.maxChars));
        sendDigitalPage(call, dial, pageText, company);
        m_state.lastCallFailed = false;
        return;
    }

    TapSession session(call, plan);
    const TapSession::Result ended = session.run();
    m_state.lastCallFailed = !session.everyPageAnswered();
    if (ended == TapSession::Result::Ended)
        return;
    link.hangUp();
    if (m_state.sentCount != 0) {
        call.status("(" + store::numberText(m_state.sentCount) + ")" + " Page(s) Were Sent");
        m_view.setLamp(Lamp::Green);
    } else {
        call.status("Error(s) Encounterd... See Log File!");
        m_view.setLamp(Lamp::Yellow);
    }
    call.closePort();
    m_view.refreshCommands();
}

void PagingCall::cancel()
{
    m_state.cancelRequest = true;
    m_view.hideConnectionWindow();
}

void PagingCall::forceHangUp()
{
    CallContext call(m_line, m_pacer, m_view, m_queue, m_folder, m_state);
    forcedHangUp(call);
}

bool PagingCall::portOpen() const
{
    return m_line.isOpen();
}

} // namespace tolvane::engine
