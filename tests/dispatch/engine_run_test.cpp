// The dispatcher on the real paging call, a scripted modem and terminal, and virtual time.
#include "dispatch/command_line_paging.h"
#include "dispatch/paging_desk.h"
#include "dispatch/unattended_view.h"
#include "dispatch_fixture.h"
#include "engine/paging_call.h"
#include "store/codepage.h"
#include "store/network_file.h"
#include "store/record_file.h"
#include "testkit/happy_terminal.h"
#include "testkit/scripted_line.h"
#include "testkit/virtual_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace tolvane::dispatch::test {
namespace {

using testkit::DataFolderFixture;

class EngineRun : public ::testing::Test {
protected:
    EngineRun()
    {
        writeOffice(data);
        testkit::addHappyTerminal(line);
        desk.setPageSender(&sender);
    }

    void queue(std::initializer_list<const char*> names, std::string_view message) { queueFor(desk, names, message); }

    // "PAGE SENT: " + name column + the 22-character stamp + the message column read at 80.
    static std::string sentLine(std::string_view name, std::string_view message)
    {
        return "PAGE SENT: " + pad(name, 25) + "09:05 AM     12/06/202" + pad(message, 80);
    }

    DataFolderFixture data;
    testkit::VirtualClock time;
    testkit::VirtualPacer pacer { time };
    testkit::ScriptedLine line { time };
    testkit::RecordingView view;
    FakeClock clock;
    PagingDesk desk { data.folder(), view, clock };
    engine::PagingCall call { line, pacer, view, desk.callQueue(), data.folder(), desk.runState() };
    PagingCallSender sender { call };
};

TEST_F(EngineRun, QueueForTwoCompaniesIsSentInTwoCallsAndLoggedInQueueOrder)
{
    queue({ "Cal", "Ben", "Ann" }, "Staff meeting at 3");
    ASSERT_TRUE(desk.sendQueue());

    EXPECT_EQ(line.opens().size(), 2u);
    EXPECT_EQ(data.log(),
        (std::vector<std::string> { sentLine("Ann", "Staff meeting at 3"), sentLine("Ben", "Staff meeting at 3"),
            sentLine("Cal", "Staff meeting at 3") }));
    // The sent count runs across the run's calls.
    EXPECT_EQ(view.lastStatus(), "( 3) Page(s) Were Sent");
    EXPECT_EQ(view.lastLamp(), engine::Lamp::Green);
    EXPECT_EQ(desk.runState().sentCount, 3);
    EXPECT_EQ(desk.runState().queueCursor, 0);
    EXPECT_EQ(desk.pageQueue().count(), 3);
    EXPECT_EQ(desk.queueCounterText(), " 3 Pages in Que");
    EXPECT_FALSE(line.isOpen());
}

TEST_F(EngineRun, AFailedCallOrARefusedPageTurnsTheRunRedAndIsNamedLastThoughItsLastCallWentWell)
{
    line.forgetRules();
    line.whenWriteContains("\x02"
                           "1001\r",
        "517 Message too long, rejected\r" + testkit::wire::kRs, 50);
    testkit::addHappyTerminal(line);
    queue({ "Ann", "Ben", "Cal", "DIG-Ike" }, "4321");
    data.terminals.erase(data.terminals.begin() + 1); // Bluepage was deleted
    data.write();
    desk.sendQueue();

    EXPECT_EQ(view.boxes,
        (std::vector<std::string> {
            "Warning.. The Users' Paging company had been deleted.. Please Check Users' Settings" }));
    EXPECT_EQ(line.opens().size(), 2u);
    EXPECT_EQ(data.log().size(), 3u);
    // The numeric call went well and had the last word; the run's own end says what did not.
    EXPECT_EQ(view.lastStatus(), "Message Sent...");
    EXPECT_EQ(view.lastLamp(), engine::Lamp::Red);
    EXPECT_EQ(std::vector<std::string>(view.logLines.end() - 2, view.logLines.end()),
        (std::vector<std::string> { "Failed call to paging company: Bluepage",
            "Refused by the paging company: Ann (517 Message too long, rejected)" }));
}

TEST_F(EngineRun, EveryQueuedPageForANumericCompanyIsDialled)
{
    // A numeric call dials one page and ends, however long its run is.
    data.users.push_back(DataFolderFixture::user("DIG-Joe", "1007", "DIG-Beeper"));
    data.write();
    queue({ "DIG-Joe", "Ann", "DIG-Ike" }, "4321");
    desk.sendQueue();

    EXPECT_EQ(line.countWritesContaining(",,,,4321#\r"), 2);
    // The numeric company's 14 characters set the limit the entries were built with.
    EXPECT_EQ(data.log(),
        (std::vector<std::string> { "PAGE SENT: Ann                      09:05 AM     12/06/2024321          ",
            "PAGE SENT: DIG-Ike                  09:05 AM     12/06/2024321          \r\n",
            "PAGE SENT: DIG-Joe                  09:05 AM     12/06/2024321          \r\n" }));
    EXPECT_EQ(desk.runState().sentCount, 3);
}

TEST_F(EngineRun, ANumericPageMarkedSentKeepsItsPlaceAndIsNeverSentAgain)
{
    // "Clear Que after Successful Page" is off: the queue keeps its pages after the run.
    queue({ "DIG-Ike", "Cal" }, "4321");
    desk.sendQueue();
    const auto& entries = desk.pageQueue().entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].substr(0, 25), pad("DIG-Beeper", 25));
    EXPECT_EQ(entries[1].substr(175, 20), pad("PAGE SENT", 20));
    EXPECT_EQ(desk.schedule(1, "09:30 PM", "12/06/2026"), EventsOutcome::AlreadySent)
        << "scheduling would send it again";

    queue({ "DIG-Ike" }, "99");
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
    desk.sendQueue();
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(line.countWritesContaining(",,,,4321#\r"), 1);
    EXPECT_EQ(line.countWritesContaining(",,,,99#\r"), 1);
}

TEST_F(EngineRun, QueuedPagesKeepTheMessageTheyWereQueuedWith)
{
    // Queued at Amberpage's 240; the recipients are cleared, and the next message is for Bluepage's 40.
    data.terminals[0].MaxChars = 240;
    data.terminals[1].MaxChars = 40;
    data.write();
    const std::string message = "Fire drill at noon: leave by the north stairs, meet in the car park and wait "
                                "for the roll call before going back in";
    queue({ "Ann" }, message);
    EXPECT_EQ(desk.messageLimit(), 80);
    desk.addUser(rowOf(desk.userList(), "Cal"));
    EXPECT_EQ(desk.messageLimit(), 40);
    desk.sendQueue();

    EXPECT_EQ(data.log(),
        (std::vector<std::string> { "PAGE SENT: Ann                      09:05 AM     12/06/202Fire drill at noon: "
                                    "leave by the north stairs, meet in the car park and wait for the roll call "
                                    "before going back in"
            + std::string(125, ' ') }));
    EXPECT_EQ(line.countWritesContaining("for the roll call before going back in"), 1);
}

TEST_F(EngineRun, CancelAnsweredYesEndsTheWalk)
{
    queue({ "Ann", "Cal" }, "Hello");
    bool cancelled = false;
    view.onStatus = [&](const std::string& status) {
        if (status == "Connected..." && !cancelled) {
            cancelled = true;
            call.cancel();
        }
    };
    view.answers = { true };
    desk.sendQueue();

    EXPECT_EQ(
        view.questions, (std::vector<std::string> { "There are more pages the que, do you wish to cancel them all?" }));
    EXPECT_EQ(line.opens().size(), 1u);
    EXPECT_TRUE(data.log().empty());
    EXPECT_EQ(desk.pageQueue().count(), 0);
    EXPECT_EQ(desk.queueCounterText(), " 0 Pages in Que");
}

TEST_F(EngineRun, SinglePageIsSentAloneWhilePagesWait)
{
    queue({ "Ann", "Cal" }, "Waiting page");
    const auto waiting = desk.pageQueue().entries();
    desk.addUser(rowOf(desk.userList(), "Ben"));
    desk.setMessage("Only for Ben");
    ASSERT_TRUE(desk.sendSingle());

    EXPECT_EQ(data.log(), (std::vector<std::string> { sentLine("Ben", "Only for Ben") }));
    EXPECT_EQ(line.opens().size(), 1u);
    EXPECT_EQ(desk.runState().sentCount, 1);
    EXPECT_EQ(desk.pageQueue().entries(), waiting);
    EXPECT_EQ(desk.callQueue().count(), 2); // the call queue is the page queue again
    EXPECT_EQ(view.statuses.front(), "Preparing Page...");
    EXPECT_EQ(view.lastStatus(), "( 1) Page(s) Were Sent");
}

TEST_F(EngineRun, NumericSinglePageMarksItsOwnEntryAndLeavesTheQueue)
{
    queue({ "Ann" }, "Waiting page");
    const auto waiting = desk.pageQueue().entries();
    desk.addUser(rowOf(desk.userList(), "DIG-Ike"));
    desk.setMessage("4321");
    view.answers = { true };
    desk.sendSingle();

    EXPECT_EQ(desk.runState().sentCount, 1);
    EXPECT_EQ(line.countWritesContaining(",,,,4321#\r"), 1);
    EXPECT_EQ(desk.pageQueue().entries(), waiting);
    ASSERT_EQ(data.log().size(), 1u);
    EXPECT_EQ(data.log()[0].rfind("PAGE SENT: DIG-Ike", 0), 0u);
}

// --- Command-line paging ----------------------------------------------------------------------------

class CommandLine : public EngineRun {
protected:
    CommandLineOutcome run(std::string_view commandLine, engine::CallView* hostView = nullptr,
        engine::Pacing pacing = engine::Pacing::Standard)
    {
        const CommandLineHost host { data.path(), line, pacer, hostView ? *hostView : view, clock, errors, pacing };
        return runCommandLinePaging(host, commandLine);
    }

    std::ostringstream errors;
};

struct CommandLineCase {
    std::string commandLine;
    int exitStatus;
    bool showReport;
    std::string report; // empty: not checked
    std::vector<std::pair<std::string, std::string>> sent; // name and message of each page logged
};

class CommandLineCases : public CommandLine, public ::testing::WithParamInterface<CommandLineCase> { };

TEST_P(CommandLineCases, SplitsSendsAndReportsWithTheExitStatus)
{
    const CommandLineCase& c = GetParam();
    const auto outcome = run(c.commandLine);
    EXPECT_EQ(outcome.exitStatus, c.exitStatus);
    EXPECT_EQ(outcome.showReport, c.showReport);
    if (!c.report.empty()) {
        EXPECT_EQ(outcome.report, c.report);
    }
    std::vector<std::string> expected;
    for (const auto& [name, message] : c.sent)
        expected.push_back(sentLine(name, message));
    EXPECT_EQ(data.log(), expected);
    EXPECT_EQ(outcome.sentCount, static_cast<std::int16_t>(expected.size()));
    EXPECT_EQ(line.opens().size(), expected.size()); // a call for each page, none for a name nobody has
}

INSTANTIATE_TEST_SUITE_P(Pages, CommandLineCases,
    ::testing::Values(
        CommandLineCase { "Dana Whitlow:Meeting moved to 10:30", 0, true, "Page was sent to: Dana Whitlow             ",
            { { "Dana Whitlow", "Meeting moved to 10:30" } } },
        CommandLineCase { "dana whitlow:Hello", 1, true,
            "Page was not! sent make sure your command line matches a users name exactly. User names can not have "
            "spaces in them if you want to use command line paging. Also you might want to check the log file for "
            "other errors.\nNo user named dana whitlow was found in the directory.",
            {} },
        CommandLineCase { "Dana Whitlow:Back in five %", 0, false, "", { { "Dana Whitlow", "Back in five" } } },
        // No page at all is a usage error, said even in a quiet run; nothing is sent.
        CommandLineCase { "Dana Whitlow: %", 2, true,
            "no message after the colon in \"Dana Whitlow: %\"; expected name:message, as in \"Dana Whitlow:Call "
            "the front desk\"",
            {} },
        CommandLineCase { "Dana Whitlow", 2, true,
            "no colon in \"Dana Whitlow\"; expected name:message, as in \"Dana Whitlow:Call the front desk\"", {} },
        CommandLineCase { ":Hello", 2, true, "", {} },
        CommandLineCase { "Bartholomew Fitzgeraldsonxxxxx:" + std::string(120, 'm'), 0, true,
            "Page was sent to: Bartholomew Fitzgeraldson (message cut to 80 characters)",
            { { "Bartholomew Fitzgeraldson", std::string(80, 'm') } } },
        // Two pages for one name are not the one page asked for.
        CommandLineCase { "Fay:Hello", 1, true, "", { { "Fay", "Hello" }, { "Fay", "Hello" } } }));

TEST_F(CommandLine, ItTriesOnceAndSaysWhetherTheRefusalIsForGoodOrForNowSoAScriptCanDecide)
{
    const struct {
        const char* reply;
        const char* said;
    } cases[] = {
        { "511 No subscriber for this pager ID\r", "Refused for good: 511 No subscriber for this pager ID" },
        { "512 Temporarily Cannot Deliver\r", "Refused for now: 512 Temporarily Cannot Deliver" },
    };
    for (const auto& c : cases) {
        line.forgetRules();
        line.whenWriteContains("\x02"
                               "5550142\r",
            c.reply + testkit::wire::kNak, 50);
        testkit::addHappyTerminal(line);
        const auto outcome = run("Dana Whitlow:Hello");
        EXPECT_EQ(outcome.exitStatus, 1);
        EXPECT_EQ(outcome.report, std::string(kPageWasNotSent) + "\n" + c.said);
    }
    EXPECT_EQ(line.countWritesContaining("\x02"
                                         "5550142\r"),
        2)
        << "one try each";
}

TEST_F(CommandLine, TheCallTakesTheHostsPacing)
{
    EXPECT_EQ(run("Ann:Hello", nullptr, engine::Pacing::Prompt).exitStatus, 0);
    EXPECT_EQ(view.logLines.front(), "Pacing: prompt (waits for replies)");
}

TEST_F(CommandLine, UserInTheSharedDirectoryIsFound)
{
    const auto shared = data.path() / "shared";
    std::filesystem::create_directory(shared);
    store::writeNetworkFile(data.folder().programPath("NETWORK.DAT"), shared.string() + "/");
    // Until the share is mounted its mount point is empty: nobody is looked up, or written, there.
    EXPECT_EQ(run("Pat:Shared hello").exitStatus, 1);
    EXPECT_NE(errors.str().find("holds no USERS.DAT"), std::string::npos) << errors.str();
    EXPECT_FALSE(std::filesystem::exists(shared / "USERS.DAT"));

    std::filesystem::copy_file(data.folder().pathOf<store::TerminalRecord>(), shared / "TERMINAL.DAT");
    {
        store::RecordFile users(shared / "USERS.DAT", store::UserRecord::kLength);
        store::writeRecord(users, 1, DataFolderFixture::user("Pat", "7001", "Bluepage"));
    }

    const auto outcome = run("Pat:Shared hello");
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(data.log(), (std::vector<std::string> { sentLine("Pat", "Shared hello") }));
}

TEST_F(CommandLine, QuietRunNeverWaitsForAPerson)
{
    const auto outcome = run("DIG-Ike:4321 %");
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_TRUE(view.questions.empty());
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(
        errors.str(), "This is a Numeric Pager So You Can Only Send NUMBERS To It... Do You Wish To Continue? Yes\n");

    // A box during a quiet run (here the company is missing) goes to the error stream too.
    data.terminals = {};
    data.write();
    errors.str("");
    const auto failed = run("Ann:Hello %");
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(errors.str(), "Warning.. The Users' Paging company had been deleted.. Please Check Users' Settings\n");

    // A page log that cannot be written is the one thing a quiet run still reports: the page went out.
    data.terminals = { DataFolderFixture::alphaCompany("Amberpage") };
    data.write();
    std::filesystem::remove(data.path() / "LOG.DAT");
    std::filesystem::create_directory(data.path() / "LOG.DAT");
    errors.str("");
    EXPECT_EQ(run("Ann:Hello %").exitStatus, 0);
    EXPECT_EQ(errors.str().rfind("LOG.DAT could not be written", 0), 0u) << errors.str();
    EXPECT_NE(errors.str().find("lacks this line: PAGE SENT: Ann                      09:05 AM     12/06/202Hello\n"),
        std::string::npos)
        << errors.str();
}

TEST_F(CommandLine, HeadlessRunPrintsBoxesAndTheConnectionLog)
{
    std::ostringstream headlessErrors;
    UnattendedView headless(nullptr, headlessErrors, true);
    const auto outcome = run("DIG-Ike:4321", &headless);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_TRUE(outcome.showReport);
    const std::string printed = headlessErrors.str();
    EXPECT_NE(
        printed.find("This is a Numeric Pager So You Can Only Send NUMBERS To It... Do You Wish To Continue? Yes\n"),
        std::string::npos);
    EXPECT_NE(printed.find("Initializing Modem...\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("DIG-Beeper SENT\n"), std::string::npos) << printed;

    // Quiet and headless, a page that raises no box prints nothing: not even the connection log.
    headlessErrors.str("");
    errors.str("");
    EXPECT_EQ(run("Ann:Hello %", &headless).exitStatus, 0);
    EXPECT_EQ(headlessErrors.str(), "");
    EXPECT_EQ(errors.str(), "");
}

} // namespace
} // namespace tolvane::dispatch::test

namespace tolvane::dispatch::test {
namespace {

TEST(UnattendedOutput, CarriageReturnsBreakLinesAndOtherControlCharactersAreShownNotSent)
{
    std::ostringstream printed;
    UnattendedView view(nullptr, printed, true);
    view.messageBox("Error #  75 was generated by Tolvane\rcannot open USERS.DAT", "Error");
    view.appendLog("\r\nCONNECT 9600\r\nID=");
    // A file or a peer must not clear the operator's screen: ESC, BEL, DEL, the TAP controls and the C1 range.
    view.messageBox("/srv/x\x1b[2J\a/:\x02\x7f\x9d\xe9");
    EXPECT_EQ(printed.str(),
        "Error: Error #  75 was generated by Tolvane\ncannot open USERS.DAT\n"
        "\nCONNECT 9600\nID=\n"
        "/srv/x^[[2J^G/:^B^?\\x9d\xC3\xA9\n");
    EXPECT_EQ(store::visibleControls("a\xC2\x9B"
                                     "b\x9B\xE2\x82\xAC\xF0\x9F\x98\x80\xE2\x82"),
        "a\\x9bb\\x9b\xE2\x82\xAC\xF0\x9F\x98\x80\\xe2\\x82");
}

} // namespace
} // namespace tolvane::dispatch::test
