// Queueing one message for 2,000 recipients, users and groups, read from the data files as the
// command reads them.
#include "dispatch/clock.h"
#include "dispatch/paging_desk.h"
#include "engine/call_view.h"
#include "store/data_folder.h"
#include "store/record_file.h"
#include "store/records.h"
#include "testkit/fixed_clock.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

using namespace tolvane;

class SilentView final : public engine::CallView {
public:
    void setStatus(const std::string&) override { }
    void setLamp(engine::Lamp) override { }
    void appendLog(const std::string&) override { }
    void clearLog() override { }
    void showConnectionWindow() override { }
    void hideConnectionWindow() override { }
    void messageBox(const std::string&, const std::string&) override { }
    bool askYesNo(const std::string&) override { return true; }
    void beep() override { }
    void refreshCommands() override { }
    void callEnded() override { }
};

std::string numbered(const char* prefix, int n)
{
    return prefix + std::to_string(n);
}

// 2,000 users spread over 20 companies and 10 groups of 100 members each; 20 more groups without members.
class Directory {
public:
    Directory()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tolvane-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
        store::DataFolder folder(m_path);
        store::RecordFile terminals(folder.pathOf<store::TerminalRecord>(), store::TerminalRecord::kLength);
        for (int c = 1; c <= 20; ++c)
            store::writeRecord(
                terminals, c, store::TerminalRecord { numbered("Company ", c), "5550100", 240, 1, 9600, 1, 1, 1, "" });
        store::RecordFile groups(folder.pathOf<store::GroupRecord>(), store::GroupRecord::kLength);
        for (int g = 1; g <= 30; ++g)
            store::writeRecord(groups, g, store::GroupRecord { numbered("Group ", g), "" });
        store::RecordFile users(folder.pathOf<store::UserRecord>(), store::UserRecord::kLength);
        for (int u = 1; u <= 2000; ++u) {
            std::string flags(10, '0');
            if (u <= 1000)
                flags[static_cast<std::size_t>((u - 1) / 100)] = '1';
            store::writeRecord(users, u,
                store::UserRecord {
                    numbered("User ", u), numbered("", 5550000 + u), numbered("Company ", u % 20 + 1), flags });
        }
    }
    ~Directory() { std::filesystem::remove_all(m_path); }

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A desk with the message addressed to the 2,000 recipients; with `kept`, its queue is kept in QUEUE.DAT.
struct Desk {
    explicit Desk(bool kept)
        : folder(directory.path())
        , desk(folder, view, clock)
    {
        if (kept)
            desk.restoreKeptQueue();
        desk.loadUsers();
        desk.loadGroups();
        for (int g = 0; g < 10; ++g)
            desk.addRecipientName(desk.groupList()[static_cast<std::size_t>(g)]);
        for (int u = 0; u < 1990; ++u)
            desk.addRecipientName(desk.userList()[static_cast<std::size_t>(u)]);
        desk.setMessage("The building will be closed on Friday for maintenance.");
    }

    Directory directory;
    store::DataFolder folder;
    SilentView view;
    testkit::FixedClock clock;
    dispatch::PagingDesk desk;
};

// The queue is emptied and filled again each time: with the queue kept, two synced writes of 2,000 pages.
void QueueOneMessageForTwoThousandRecipients(benchmark::State& state)
{
    Desk desk(state.range(0) != 0);
    for (auto _ : state) {
        desk.desk.clearQueue();
        desk.desk.queueMessage();
        benchmark::DoNotOptimize(desk.desk.pageQueue().count());
    }
    state.counters["entries"] = desk.desk.pageQueue().count();
}
BENCHMARK(QueueOneMessageForTwoThousandRecipients)->ArgName("kept")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One mark of a page during a call, a synced write each: leaving, then answered (refused, so it can leave again).
void MarkAPageOfAKeptTwoThousandPageQueue(benchmark::State& state)
{
    Desk desk(true);
    desk.desk.queueMessage();
    engine::PageQueue& queue = desk.desk.callQueue();
    long long mark = 0;
    const engine::PageOutcome refused { engine::OutcomeClass::RefusedForNow, "512", "Temporarily cannot deliver" };
    for (auto _ : state) {
        const int page = static_cast<int>(mark / 2 % 2000);
        if (mark++ % 2 == 0)
            queue.pageLeaving(page);
        else
            queue.pageAnswered(page, refused);
    }
}
BENCHMARK(MarkAPageOfAKeptTwoThousandPageQueue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
