#include "process_runner.h"
#include "store/queue_file.h"
#include "testkit/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::string> kNoDisplay
    = { { "DISPLAY", "" }, { "WAYLAND_DISPLAY", "" }, { "QT_QPA_PLATFORM", "" } };

class ProgramStart : public ::testing::Test {
protected:
    ProcessResult start(std::vector<std::string> args)
    {
        args.insert(args.begin(), { "--data-dir", m_folder.string() });
        return runProcess(TOLVANE_BINARY, args, kNoDisplay);
    }

    tolvane::testkit::TempFolder m_temp;
    const fs::path m_folder = m_temp / "data"; // not there until the program makes it
};

TEST_F(ProgramStart, HelpAndVersionPrintToStandardOutputAndTouchNoFile)
{
    auto result = start({ "--help" });
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Usage: tolvane"), std::string::npos);
    result = start({ "--version" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "Tolvane 1.0.0\n");
    EXPECT_FALSE(fs::exists(m_folder));
}

TEST_F(ProgramStart, AStartThatCannotGoOnEndsWithItsStatusAndSaysWhyOnStandardError)
{
    auto unreachable = kNoDisplay;
    unreachable["DISPLAY"] = ":4242";
    unreachable["XDG_SESSION_TYPE"] = "";
    const struct {
        std::vector<std::string> args;
        std::map<std::string, std::string> env;
        int status;
        const char* why;
    } starts[] = {
        { { "--data-dir", m_folder.string(), "--colour" }, kNoDisplay, 2, "unknown option --colour" },
        { { "--data-dir", m_folder.string() }, kNoDisplay, 4, "no display" },
        { { "--data-dir", m_folder.string() }, unreachable, 4, "cannot reach the display" },
        { { "--data-dir", "/dev/null/tolvane" }, kNoDisplay, 4, "program folder" },
    };
    for (const auto& start : starts) {
        const auto result = runProcess(TOLVANE_BINARY, start.args, start.env);
        EXPECT_EQ(result.status, start.status) << start.why;
        EXPECT_NE(result.err.find(start.why), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_EQ(result.err.find("Usage: tolvane") != std::string::npos, start.status == 2) << result.err;
    }
}

TEST_F(ProgramStart, WithoutADisplayToShowItTheCommandLinesReportIsPrintedNotLeftWaitingInABox)
{
    auto unreachable = kNoDisplay;
    unreachable["DISPLAY"] = ":4242";
    unreachable["XDG_SESSION_TYPE"] = "";
    auto offscreen = kNoDisplay;
    offscreen["QT_QPA_PLATFORM"] = "offscreen";
    for (const auto& env : { unreachable, offscreen }) {
        const auto result = runProcess(TOLVANE_BINARY, { "--data-dir", m_folder.string(), "Nobody:hello" }, env);
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_EQ(
            result.out.rfind("Page was not! sent make sure your command line matches a users name exactly.", 0), 0u)
            << result.out;
    }
    // What a file names reaches the terminal with its control characters shown, never sent to it.
    std::ofstream(m_folder / "NETWORK.DAT") << "\"/srv/x\x1b[2J\a/\"\r\n";
    const auto result = start({ "Nobody:hello" });
    EXPECT_NE(result.err.find("The shared folder /srv/x^[[2J^G/ cannot be reached"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find('\x1b'), std::string::npos);
}

TEST_F(ProgramStart, AnInstalledProgramStartedWithoutADataFolderKeepsTheFilesInTheUsersOwnFolder)
{
    // Laid out as an installation under a prefix: the program in bin, the desktop entry beside it in share.
    const fs::path prefix = m_temp / "prefix";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share/applications");
    m_temp.write("prefix/share/applications/tolvane.desktop", "");
    fs::copy_file(TOLVANE_BINARY, prefix / "bin/tolvane");
    auto env = kNoDisplay;
    env["XDG_DATA_HOME"] = (m_temp / "data-home").string();
    const auto result = runProcess((prefix / "bin/tolvane").string(), { "Nobody:hello" }, env);
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_TRUE(fs::exists(m_temp / "data-home/tolvane/USERS.DAT"));
    EXPECT_EQ(std::distance(fs::directory_iterator(prefix / "bin"), fs::directory_iterator()), 1);
}

TEST_F(ProgramStart, ASecondCopyOnTheSameFolderIsRefusedWithStatus3AndTouchesNoDataFile)
{
    fs::create_directories(m_folder);
    BackgroundProcess first(TOLVANE_LOCK_HOLDER, { m_folder.string() }); // a first copy
    ASSERT_EQ(first.readLine(10000), "held");

    const auto before = std::distance(fs::directory_iterator(m_folder), fs::directory_iterator());
    const auto result = start({ "Dana Whitlow:hello" });
    EXPECT_EQ(result.status, 3);
    EXPECT_NE(result.err.find(" Tolvane already running"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), before);

    // Once the first copy has gone, however it went, the folder is free again.
    first.stop();
    EXPECT_NE(start({}).status, 3);
}

TEST_F(ProgramStart, ListQueuePrintsTheKeptPagesBesideARunningCopyAndCommandLinePagingLeavesThemAlone)
{
    fs::create_directories(m_folder);
    const auto padded = [](std::string text, std::size_t width) { return text.append(width - text.size(), ' '); };
    const std::string entry = padded("Ravenpage", 25) + padded("Dana Whitlow", 25) + padded("5550142", 100) + " "
        + padded("09:05 AM", 12) + " 12/06/2026 " + padded("Ready to Send", 20) + " \xC4rzte\tcall   ";
    tolvane::store::KeptPage page { "9F3A0C11D2E4B7A6", tolvane::store::KeptList::Queue,
        tolvane::store::KeptState::Leaving, 0, {}, entry };
    tolvane::store::QueueFile(m_folder / "QUEUE.DAT").rewrite({ page });
    const std::string kept = m_temp.read("data/QUEUE.DAT");
    BackgroundProcess running(TOLVANE_LOCK_HOLDER, { m_folder.string() });
    ASSERT_EQ(running.readLine(10000), "held");

    const auto listed = start({ "--list-queue" });
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(
        listed.out, "queue\tRavenpage\tDana Whitlow\t5550142\t09:05 AM\t12/06/2026\tbeing sent\t\u00C4rzte call\n");
    running.stop();
    EXPECT_EQ(start({ "Nobody:hello" }).status, 1);
    EXPECT_EQ(m_temp.read("data/QUEUE.DAT"), kept);
}

TEST_F(ProgramStart, AQuietRunRefusedAtADisplayEndsAtOnceWithoutABox)
{
    if (!fs::exists("/usr/bin/Xvfb"))
        GTEST_SKIP() << "no Xvfb to stand for a display";
    // A real X display, where a box would wait for a click.
    BackgroundProcess display("/usr/bin/Xvfb", { "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24" });
    const std::string number = display.readLine(20000);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    fs::create_directories(m_folder);
    BackgroundProcess first(TOLVANE_LOCK_HOLDER, { m_folder.string() });
    ASSERT_EQ(first.readLine(10000), "held");

    const std::map<std::string, std::string> atDisplay
        = { { "DISPLAY", ":" + number }, { "WAYLAND_DISPLAY", "" }, { "QT_QPA_PLATFORM", "xcb" } };
    const auto result
        = runProcess(TOLVANE_BINARY, { "--data-dir", m_folder.string(), "Dana Whitlow:hi %" }, atDisplay, 20000);
    EXPECT_EQ(result.status, 3) << "a status of 137 means it was still waiting after 20 s: " << result.err;
    EXPECT_NE(result.err.find(" Tolvane already running\n"), std::string::npos) << result.err;
}

} // namespace
