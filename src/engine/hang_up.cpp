#include "engine/hang_up.h"

#include "engine/call_context.h"
#include "engine/serial_messages.h"
#include "store/record_file.h"
#include "store/store_error.h"

#include <cstdint>

namespace tolvane::engine {

void endCancelledCall(CallContext& call)
{
    try {
        call.line.write("+++\r");
        call.pacer.sleepMs(1000);
        call.line.write("ATH0\r");
        call.pacer.sleepMs(1000);
        call.status("Page Canceled");
        call.logFailure(CallFailure::Cancelled);
        call.lamp(Lamp::Red);
        call.view.refreshCommands();
        call.state.queueCursor = static_cast<std::int16_t>(call.state.queueCursor + 1);
        call.line.close();
        if (call.queue.count() > call.state.queueCursor
            && call.view.askYesNo("There are more pages the que, do you wish to cancel them all?"))
            call.queue.clear();
    } catch (const SerialError&) {
        // The port went away under us (a forced hang-up closed it): nothing more to hang up.
    }
}

namespace {

constexpr std::string_view kSource = "Tolvane";

struct StartAgain { }; // the device reports itself not open: re-read the port and begin again
struct Finished { }; // the hang-up has ended, its message shown

class ForcedHangUp {
public:
    explicit ForcedHangUp(CallContext& call)
        : m_call(call)
    {
    }

    void run();

private:
    template <class Operation> auto guarded(Operation op) -> decltype(op());
    [[noreturn]] void fail(const SerialError& error);
    [[noreturn]] void failFile(const store::StoreError& error);
    void endFailed(const std::string& box);
    void setPortFromConfig();
    void attempts();
    void confirmed();

    CallContext& m_call;
    std::string m_reply;
};

// Each line or file operation of the forced hang-up reacts to its failure by number: a closed port is
// opened and the step retried, a busy file is retried, a device that is not open starts the whole
// hang-up again, another program's hold ends it with a message, anything else is reported.
template <class Operation> auto ForcedHangUp::guarded(Operation op) -> decltype(op())
{
    constexpr int kRetries = 3;
    for (int attempt = 0;; ++attempt) {
        try {
            return op();
        } catch (const SerialError& error) {
            if (error.number() != kPortNotOpen || attempt >= kRetries)
                fail(error);
            try {
                m_call.line.open();
                m_call.line.setDtr(true);
            } catch (const SerialError& openError) {
                fail(openError);
            }
        } catch (const store::StoreError& error) {
            if (error.number() != 55 || attempt >= kRetries)
                failFile(error);
        }
    }
}

void ForcedHangUp::fail(const SerialError& error)
{
    if (error.number() == kDeviceNotOpen)
        throw StartAgain {};
    if (error.number() == kPortAlreadyOpen) {
        m_call.view.messageBox(std::string(kModemInUse));
        m_call.status(""); // nothing of it is still going on
        throw Finished {};
    }
    // Reported, not fatal: the port is left closed and the program goes on, so queued pages are not lost.
    endFailed(generalErrorMessage(error.number(), kSource, error.what()));
    throw Finished {};
}

void ForcedHangUp::failFile(const store::StoreError& error)
{
    endFailed(generalErrorMessage(error.number(), kSource, error.what()));
    throw Finished {};
}

void ForcedHangUp::endFailed(const std::string& box)
{
    // As when the modem never answers: the box says why, and no status is left saying it is still trying.
    m_call.view.messageBox(box, "Error");
    m_call.status("");
    m_call.lamp(Lamp::Red);
    m_call.closePort();
}

void ForcedHangUp::setPortFromConfig()
{
    const auto config = guarded(
        [&] { return store::readRecordAt<store::ConfigRecord>(m_call.folder.pathOf<store::ConfigRecord>()); });
    guarded([&] { m_call.line.setPortNumber(config.portNumber()); });
}

void ForcedHangUp::run()
{
    // A device that keeps saying it is not open would start us again for ever; a few times is plenty.
    constexpr int kMaxStarts = 4;
    for (int start = 0; start < kMaxStarts; ++start) {
        try {
            m_call.progress("Trying to Hangup Modem");
            if (!m_call.line.isOpen()) {
                setPortFromConfig();
                guarded([&] { m_call.line.open(); });
                guarded([&] { m_call.line.setDtr(true); });
                m_call.progress("Trying to Hangup Modem");
            }
            attempts();
            return;
        } catch (const StartAgain&) {
            try {
                setPortFromConfig();
            } catch (const StartAgain&) {
            } catch (const Finished&) {
                return;
            }
        } catch (const Finished&) {
            return;
        }
    }
    endFailed(generalErrorMessage(kDeviceNotOpen, kSource, "The device is not open"));
}

void ForcedHangUp::attempts()
{
    guarded([&] { m_call.line.setDtr(false); });
    guarded([&] { m_call.line.setDtr(true); });
    guarded([&] { m_call.line.discardInput(); });
    m_reply.clear();
    int attempt = 0;
    for (;;) {
        m_call.pacer.yield();
        guarded([&] { m_call.line.write("+++\r"); });
        m_call.pacer.sleepMs(1000);
        guarded([&] { m_call.line.write("AT&D2\r"); });
        m_call.pacer.sleepMs(1000);
        guarded([&] { m_call.line.setDtr(false); });
        m_reply += guarded([&] { return m_call.line.readAll(); });
        m_call.view.appendLog(m_reply);

        // The reply buffer keeps everything since the start, so a late answer is found next time.
        for (std::size_t pos = 0; pos < m_reply.size(); ++pos) {
            const std::string_view at = std::string_view(m_reply).substr(pos);
            if (at.starts_with("OK")) {
                m_call.view.appendLog("Got OK");
                m_reply.clear();
                m_call.progress("Modem Says OK...");
                return confirmed();
            }
            if (at.starts_with("ERROR")) {
                m_call.view.messageBox(
                    "Error occured while initializing your modem check initilizing string in modem setup");
                m_call.closePort();
                m_call.view.beep();
                m_call.status("MODEM ERROR...");
                return confirmed();
            }
            if (at.starts_with("NO CARRIER")) {
                m_call.view.beep();
                m_call.closePort();
                m_call.status("NO CARRIER...");
                return confirmed();
            }
        }

        ++attempt;
        guarded([&] { m_call.line.write("ATH0\r"); });
        m_call.pacer.sleepMs(1000);
        if (attempt > 2)
            break;
    }
    m_call.view.messageBox("Modem did not hang up please retry or power modem on/off");
    guarded([&] { m_call.line.write("ATH\r"); });
    m_call.status("");
    m_call.lamp(Lamp::Red);
    m_call.closePort();
}

void ForcedHangUp::confirmed()
{
    m_call.status("Force Hangup OK...");
    m_call.lamp(Lamp::Black);
    m_call.closePort();
    m_call.state.cancelRequest = true;
    m_call.view.hideConnectionWindow();
}

} // namespace

void forcedHangUp(CallContext& call)
{
    ForcedHangUp(call).run();
}

} // namespace tolvane::engine
