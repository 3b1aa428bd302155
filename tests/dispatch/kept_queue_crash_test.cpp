// The kept queue when the program dies: kept_queue_crash_child sends pages and is killed with SIGKILL at
// chosen moments of a page's call and at random times; after each kill a restart settles the queue, and every
// page must be in exactly one place: logged as sent, still waiting, or "may have been sent", never sent twice,
// and never waiting once the terminal has it. TOLVANE_CRASH_KILLS sets the number of random kills (a longer
// campaign by hand).
#include "process_runner.h"
#include "store/page_log.h"
#include "store/queue_file.h"
#include "store/text.h"
#include "testkit/data_folder_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

namespace tolvane::store {
namespace {

using testkit::DataFolderFixture;

constexpr int kUsers = 24;

class KeptQueueCrash : public ::testing::Test {
protected:
    KeptQueueCrash()
    {
        data.terminals.push_back(DataFolderFixture::alphaCompany("Bluepage"));
        data.terminals.push_back(DataFolderFixture::numericCompany("Beeper"));
        data.users.clear();
        for (int i = 0; i < kUsers; ++i) {
            const char* company[] = { "Ravenpage", "Bluepage", "DIG-Beeper" };
            data.users.push_back(DataFolderFixture::user(
                (i % 3 == 2 ? "DIG-User" : "User") + std::to_string(i), std::to_string(5000 + i), company[i % 3]));
        }
        data.settings.ClearQueue = kYes; // a delivered page leaves the queue: its one place is the log
        data.write();
    }

    ProcessResult child(std::vector<std::string> args, int killAfterMs = -1)
    {
        args.insert(args.begin(), data.path().string());
        return runProcess(CRASH_CHILD, args, {}, killAfterMs);
    }

    // Queues one page per user, each message a number of its own, so each page can be followed.
    void queuePages()
    {
        ASSERT_EQ(child({ "queue", std::to_string(kUsers), std::to_string(m_nextMessage) }).status, 0);
        m_nextMessage += kUsers;
    }

    // Restarts, then checks every page ever queued; returns how many still wait.
    int restartAndCheck(const std::string& what)
    {
        const ProcessResult restarted = child({ "check" });
        EXPECT_EQ(restarted.status, 0) << what << restarted.err;
        std::map<std::string, int> logged;
        std::map<std::string, int> received;
        std::map<std::string, KeptState> kept;
        for (std::string record : data.log()) {
            if (record.ends_with("\r\n")) // a numeric page's line
                record.resize(record.size() - 2);
            logged[trim(record.substr(11 + 25 + 22))] += record.starts_with("PAGE SENT: ") ? 1 : 1000;
        }
        std::istringstream terminal(testkit::readFile(data.path() / "terminal.txt"));
        for (std::string line; std::getline(terminal, line);)
            ++received[line];
        const QueueFileContents file = readQueueFile(data.path() / "QUEUE.DAT");
        EXPECT_EQ(file.condition, QueueFileContents::Condition::Whole) << what;
        for (const auto& page : file.pages)
            EXPECT_TRUE(kept.emplace(trim(page.entry.substr(196)), page.state).second) << what << " twice in the queue";
        int waiting = 0;
        for (int message = 1000; message < m_nextMessage; ++message) {
            const std::string m = std::to_string(message);
            const auto found = kept.find(m);
            const bool isWaiting = found != kept.end() && found->second == KeptState::Waiting;
            const bool mayHaveBeen = found != kept.end() && found->second == KeptState::MayHaveBeenSent;
            EXPECT_EQ(logged[m] + int(isWaiting) + int(mayHaveBeen), 1) << what << ": page " << m;
            EXPECT_LE(received[m], 1) << what << ": page " << m << " sent twice";
            EXPECT_FALSE(isWaiting && received[m] == 1) << what << ": page " << m << " answered yet waiting";
            EXPECT_FALSE(logged[m] == 1 && received[m] == 0) << what << ": page " << m << " logged, never sent";
            waiting += int(isWaiting);
        }
        return waiting;
    }

    void tally(const std::string& kill, const std::string& outcome) { ++m_kills[kill + ": " + outcome]; }

    DataFolderFixture data;
    int m_nextMessage = 1000;
    std::map<std::string, int> m_kills;
};

TEST_F(KeptQueueCrash, EveryPageIsInExactlyOnePlaceAfterEachKill)
{
    queuePages();
    // The moments of a page's call, each the first time and in the middle of a run.
    for (const char* point :
        { "before-leaving", "after-leaving", "block-written", "before-answered", "after-answered" }) {
        for (const int nth : { 1, 4 }) {
            const std::string dieAt = std::string(point) + ":" + std::to_string(nth);
            EXPECT_EQ(child({ "send", dieAt }).status, 128 + SIGKILL) << dieAt;
            restartAndCheck(dieAt);
            tally(point, "killed");
        }
    }
    const char* kills = std::getenv("TOLVANE_CRASH_KILLS");
    const int randomKills = kills ? std::atoi(kills) : 16;
    std::mt19937 random(25);
    for (int k = 0; k < randomKills; ++k) {
        const int afterMs = std::uniform_int_distribution<int>(1, 250)(random);
        const ProcessResult run = child({ "send" }, afterMs);
        const std::string what = "random kill after " + std::to_string(afterMs) + " ms";
        tally("random", run.status == 128 + SIGKILL ? "killed" : "finished first");
        if (restartAndCheck(what) < kUsers / 3)
            queuePages();
    }
    // The run that is not killed sends every page still waiting, and none that may have been sent.
    EXPECT_EQ(child({ "send" }).status, 0);
    EXPECT_EQ(restartAndCheck("the last run"), 0);

    std::map<std::string, int> places;
    for (const auto& record : data.log())
        ++places[record.starts_with("PAGE SENT: ") ? "logged as sent" : "logged as refused"];
    places["may have been sent"] = static_cast<int>(readQueueFile(data.path() / "QUEUE.DAT").pages.size());
    for (const auto& [kill, count] : m_kills)
        std::printf("kill %s: %d\n", kill.c_str(), count);
    for (const auto& [place, count] : places)
        std::printf("pages %s: %d of %d\n", place.c_str(), count, m_nextMessage - 1000);
}

} // namespace
} // namespace tolvane::store
