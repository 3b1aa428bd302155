// The program's kept queue under a process that dies: started by kept_queue_crash_test in a prepared program
// folder, it restores QUEUE.DAT as the program does at start-up and then, by its mode,
//   queue N FIRST  queues one page for each of the first N users of USERS.DAT, the messages FIRST, FIRST + 1...
//   check          only restores (settling what the last run left) and ends
//   send [P:N]     sends the queue on a scripted happy terminal, and kills itself with SIGKILL at the N-th
//                  moment P of this run: before-leaving, after-leaving, block-written, before-answered
//                  (the LOG.DAT line is written) or after-answered.
// The terminal writes the message of each block (or numeric dial line) it receives to terminal.txt, synced,
// before it answers.
#include "dispatch/page_sender.h"
#include "dispatch/paging_desk.h"
#include "dispatch_fixture.h"
#include "engine/page_queue.h"
#include "engine/paging_call.h"
#include "store/settings.h"
#include "testkit/happy_terminal.h"
#include "testkit/virtual_pacer.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

using namespace tolvane;

std::string g_dieAt;
int g_dieAfter = 0;

void moment(const std::string& point)
{
    if (point == g_dieAt && --g_dieAfter == 0)
        ::raise(SIGKILL);
}

// The desk's call queue, as the paging call reads it, with the moments around its two marks.
class DyingQueue final : public engine::PageQueue {
public:
    explicit DyingQueue(engine::PageQueue& queue)
        : m_queue(queue)
    {
    }
    int count() const override { return m_queue.count(); }
    std::string entry(int index) const override { return m_queue.entry(index); }
    void replace(int index, const std::string& entry) override { m_queue.replace(index, entry); }
    void clear() override { m_queue.clear(); }
    std::string pageId(int index) const override { return m_queue.pageId(index); }
    void pageLeaving(int index) override
    {
        moment("before-leaving");
        m_queue.pageLeaving(index);
        moment("after-leaving");
    }
    void pageAnswered(int index, const engine::PageOutcome& outcome) override
    {
        moment("before-answered");
        m_queue.pageAnswered(index, outcome);
        moment("after-answered");
    }

private:
    engine::PageQueue& m_queue;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3)
        return 2;
    const std::string mode = argv[2];
    if (mode == "send" && argc > 3) {
        const std::string dieAt = argv[3];
        g_dieAt = dieAt.substr(0, dieAt.find(':'));
        g_dieAfter = std::stoi(dieAt.substr(dieAt.find(':') + 1));
    }
    const store::DataFolder folder(argv[1]);
    testkit::RecordingView view;
    dispatch::test::FakeClock clock;
    dispatch::PagingDesk desk(folder, view, clock);
    desk.setSettings(store::checkSettings(folder));
    desk.restoreKeptQueue();

    if (mode == "queue") {
        desk.loadUsers();
        for (int i = 0; i < std::stoi(argv[3]); ++i) {
            desk.clearRecipients();
            desk.addUser(i);
            desk.setMessage(std::to_string(std::stoi(argv[4]) + i));
            desk.queueMessage();
        }
    } else if (mode == "send") {
        testkit::VirtualClock time;
        testkit::VirtualPacer pacer(time);
        testkit::ScriptedLine line(time);
        testkit::addHappyTerminal(line);
        const int received = ::open((folder.programPath("terminal.txt")).c_str(), O_WRONLY | O_APPEND | O_CREAT, 0644);
        line.setWriteHook([&](std::string_view bytes) {
            // STX pager ID CR message CR ETX ..., or the dial string, ",,,,", the digits and "#".
            const std::size_t digits = bytes.find(",,,,");
            const std::size_t from = bytes.starts_with('\x02') ? bytes.find('\r') + 1
                : digits == std::string_view::npos             ? digits
                                                               : digits + 4;
            if (from == std::string_view::npos)
                return;
            const std::string message = std::string(bytes.substr(from, bytes.find_first_of("\r#", from) - from)) + "\n";
            if (::write(received, message.data(), message.size()) != static_cast<ssize_t>(message.size())
                || ::fdatasync(received) != 0)
                std::_Exit(3);
            moment("block-written");
        });
        DyingQueue queue(desk.callQueue());
        engine::PagingCall call(line, pacer, view, queue, folder, desk.runState());
        dispatch::PagingCallSender sender(call);
        desk.setPageSender(&sender);
        desk.sendQueue();
    }
    for (const auto& box : view.boxes)
        std::fprintf(stderr, "box: %s\n", box.c_str());
    return 0;
}
