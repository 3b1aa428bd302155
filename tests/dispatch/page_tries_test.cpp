// Failed pages tried again: the rules on their own, then the desk on a fake clock with a sender that answers
// as it is told.
#include "dispatch/page_tries.h"
#include "dispatch_fixture.h"
#include "engine/queue_entry.h"
#include "store/text.h"

#include <gtest/gtest.h>

#include <map>

namespace tolvane::dispatch::test {
namespace {

using engine::OutcomeClass;
using engine::PageOutcome;

const PageOutcome kBusy = engine::callFailureOutcome(engine::CallFailure::Busy);
const PageOutcome kLater { OutcomeClass::RefusedForNow, "512", "Temporarily cannot deliver" };
const PageOutcome kNever { OutcomeClass::RefusedForGood, "511", "No subscriber for this pager ID" };
const RetryPolicy kOn { true, 3, 2 };

TEST(PageTries, TheWaitDoublesUntilTheLastTryAndOnlyWhatMayGoThroughLaterIsTriedAgain)
{
    const Moment now { { 2026, 12, 6 }, 23 * 60 + 58 };
    PageTries tries;
    EXPECT_EQ(settleTry(tries, kLater, kOn, now), TryVerdict::TriedAgain);
    EXPECT_EQ(tries.next, (Moment { { 2026, 12, 7 }, 0 })); // two minutes on, past midnight
    EXPECT_EQ(triesStatus(tries, kOn, CalendarDate { 2026, 12, 6 }),
        "Try 2 of 3 at 12:00 AM 12/07/2026: 512 Temporarily cannot deliver");
    EXPECT_EQ(settleTry(tries, kBusy, kOn, now), TryVerdict::TriedAgain);
    EXPECT_EQ(tries.next, (Moment { { 2026, 12, 7 }, 2 })); // four minutes on
    EXPECT_EQ(triesStatus(tries, kOn, CalendarDate { 2026, 12, 7 }),
        "Try 3 of 3 at 12:02 AM: the line was busy after every redial");
    EXPECT_EQ(settleTry(tries, kLater, kOn, now), TryVerdict::GaveUp);
    EXPECT_EQ(triesStatus(tries, kOn, {}), "Not delivered: 512 Temporarily cannot deliver");
    EXPECT_FALSE(goesByItself(tries, kOn, now));
    startTriesAgain(tries); // the operator sends it
    EXPECT_TRUE(goesByItself(tries, kOn, now));
    EXPECT_EQ(settleTry(tries, {}, kOn, now), TryVerdict::Delivered);
    EXPECT_EQ(triesStatus(tries, kOn, {}), "") << "the entry's own PAGE SENT says it";

    const struct {
        PageOutcome outcome;
        RetryPolicy policy;
        TryVerdict verdict;
        const char* status;
    } cases[] = {
        { kNever, kOn, TryVerdict::Dropped, "Refused for good: 511 No subscriber for this pager ID" },
        { kLater, {}, TryVerdict::Waits, "Refused for now: 512 Temporarily cannot deliver" },
        { engine::callFailureOutcome(engine::CallFailure::Cancelled), kOn, TryVerdict::Waits,
            "Call failed: the call was cancelled" },
        // The same password would be refused again: the operator's turn at once.
        { { OutcomeClass::SetUpWrong, "509", "Invalid password" }, kOn, TryVerdict::GaveUp,
            "Not delivered: the paging company's set-up is wrong: 509 Invalid password" },
        { { OutcomeClass::DeliveredHeld, "213", "Held" }, kOn, TryVerdict::Delivered,
            "Delivered, held by the terminal for later delivery: 213 Held" },
    };
    for (const auto& c : cases) {
        PageTries fresh;
        EXPECT_EQ(settleTry(fresh, c.outcome, c.policy, now), c.verdict) << c.status;
        EXPECT_EQ(triesStatus(fresh, c.policy, now.date), c.status);
        EXPECT_FALSE(fresh.next);
    }
}

TEST(PageTries, TheFieldsReadBackAsWrittenAndLeaveOtherFieldsAlone)
{
    PageTries tries { 2, Moment { { 2026, 12, 7 }, 22 * 60 + 42 }, false,
        PageOutcome { OutcomeClass::RefusedForNow, "512",
            "Temporarily: 100% \x93"
            "full\x94\tnow" } };
    auto fields = triesFields(tries);
    EXPECT_EQ(fields,
        (std::vector<std::pair<std::string, std::string>> { { "tries", "2" }, { "next", "202612072242" },
            { "outcome", "refused-for-now" }, { "code", "512" },
            { "reason",
                "Temporarily%3A%20100%25%20\x93"
                "full\x94%09now" } }));
    fields.emplace_back("later", "kept");
    EXPECT_EQ(triesFromFields(fields), tries);
    EXPECT_EQ(fields, (std::vector<std::pair<std::string, std::string>> { { "later", "kept" } }));

    std::vector<std::pair<std::string, std::string>> damaged { { "tries", "x" }, { "next", "20261399" },
        { "outcome", "unheard-of" }, { "reason", "50%" } };
    const PageTries read = triesFromFields(damaged);
    EXPECT_EQ(read.made, 0);
    EXPECT_FALSE(read.next);
    EXPECT_FALSE(read.last) << "no outcome it knows";
}

class DeskTries : public ::testing::Test {
protected:
    DeskTries()
    {
        writeOffice(f.data);
        f.desk.setRetryPolicy(kOn);
        f.sender.answer = [this](const std::string& entry) {
            const std::string name = store::rtrim(engine::nameColumn(entry));
            auto& script = answers[name];
            if (script.empty())
                return PageOutcome {};
            const PageOutcome next = script.front();
            script.erase(script.begin());
            return next;
        };
    }

    void minute(const char* time)
    {
        f.clock.time = time;
        f.desk.tickClock();
        f.desk.releaseDuePages();
    }
    std::string status(int index) { return f.desk.statusWords(index); }
    int callsFor(const char* name)
    {
        int calls = 0;
        for (const auto& call : f.sender.calls) {
            for (int i = call.first; i < call.first + call.count; ++i)
                calls += store::rtrim(engine::nameColumn(call.queue.at(static_cast<std::size_t>(i)))) == name;
        }
        return calls;
    }

    DeskFixture f;
    std::map<std::string, std::vector<PageOutcome>> answers;
};

TEST_F(DeskTries, APageRefusedForNowIsDeliveredOnALaterTryWithoutTheOperator)
{
    answers["Ann"] = { kLater, kLater };
    queueFor(f.desk, { "Ann", "Ben" });
    f.desk.sendQueue();
    EXPECT_EQ(status(0), "Try 2 of 3 at 09:07 AM: 512 Temporarily cannot deliver");
    EXPECT_EQ(f.view.lastStatus(), "Page(s) not delivered yet: tried again at 09:07 AM");
    EXPECT_TRUE(f.desk.scheduleTimerEnabled()) << "the minute check looks for the try";

    minute("09:06 AM");
    EXPECT_EQ(callsFor("Ann"), 1);
    minute("09:07 AM");
    EXPECT_EQ(callsFor("Ann"), 2);
    EXPECT_EQ(callsFor("Ben"), 1) << "a delivered page never goes again";
    EXPECT_EQ(status(0), "Try 3 of 3 at 09:11 AM: 512 Temporarily cannot deliver");
    minute("09:11 AM");
    EXPECT_TRUE(engine::isMarkedSent(f.desk.pageQueue().entry(0)));
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
}

TEST_F(DeskTries, AfterTheLastTryThePageWaitsForTheOperatorWhoseSendStartsAfresh)
{
    answers["Cal"] = { kBusy, kLater, kLater, kLater };
    queueFor(f.desk, { "Cal" });
    f.desk.sendQueue();
    minute("09:07 AM");
    minute("09:11 AM");
    EXPECT_EQ(status(0), "Not delivered: 512 Temporarily cannot deliver");
    EXPECT_EQ(f.view.lastStatus(), kPagesNotDelivered);
    EXPECT_EQ(f.view.lamps.back(), engine::Lamp::Red);
    EXPECT_TRUE(f.desk.waitsForOperator(0));
    minute("11:59 PM");
    EXPECT_EQ(callsFor("Cal"), 3);

    f.desk.sendQueue();
    EXPECT_EQ(callsFor("Cal"), 4);
    EXPECT_EQ(status(0), "Try 2 of 3 at 12:01 AM 12/07/2026: 512 Temporarily cannot deliver");
}

TEST_F(DeskTries, APageRefusedForGoodLeavesTheQueueWithTheBoxOnAndWaitsAsEverWithItOff)
{
    answers["Ann"] = { kNever };
    answers["Ben"] = { kNever };
    queueFor(f.desk, { "Ann" });
    f.desk.sendQueue();
    EXPECT_EQ(f.desk.pageQueue().count(), 0);
    EXPECT_EQ(f.view.logLines.back(), "Taken from the page queue, refused for good: Ann");

    f.desk.setRetryPolicy({});
    queueFor(f.desk, { "Ben" });
    f.desk.sendQueue();
    ASSERT_EQ(f.desk.pageQueue().count(), 1);
    EXPECT_EQ(store::rtrim(engine::statusColumn(f.desk.pageQueue().entry(0))), "Ready to Send");
    EXPECT_EQ(status(0), "Refused for good: 511 No subscriber for this pager ID");
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
}

TEST_F(DeskTries, NothingIsTriedWhileARunHoldsThePortNorAfterACancelledCall)
{
    answers["Ann"] = { kLater };
    queueFor(f.desk, { "Ann", "Cal" });
    f.sender.callEnd = engine::callFailureOutcome(engine::CallFailure::Cancelled);
    f.desk.sendQueue();
    f.sender.callEnd.reset();
    EXPECT_EQ(status(1), "Call failed: the call was cancelled");
    EXPECT_FALSE(f.desk.scheduleTimerEnabled());
    minute("10:00 AM");
    EXPECT_EQ(f.sender.calls.size(), 2u) << "the cancelled pages wait for the operator";

    f.desk.sendQueue();
    ASSERT_EQ(status(0), "Try 2 of 3 at 10:02 AM: 512 Temporarily cannot deliver");
    EXPECT_EQ(callsFor("Cal"), 2) << "delivered by the operator's send";
    // The next check comes while the try's own call holds the port: it leaves the page to that call.
    f.sender.during = [this](int) { f.desk.releaseDuePages(); };
    minute("10:02 AM");
    EXPECT_EQ(callsFor("Ann"), 3);
    EXPECT_EQ(f.sender.calls.size(), 5u);
}

} // namespace
} // namespace tolvane::dispatch::test
