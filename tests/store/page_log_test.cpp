#include "store/page_log.h"
#include "store_test_support.h"

#include "store/store_error.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tolvane::store;

TEST(PageLog, AppendWritesOneQuotedLineAndReadBackReturnsTheTexts)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    EXPECT_TRUE(readLog(folder).empty()); // missing
    appendLogLine(folder, "PAGE SENT: Ann");
    appendLogLine(folder, "ERROR FOR: Bob \"the boss\"");
    appendLogLine(folder, "PAGE SENT: 5550142\r\n#"); // numeric pages carry a CR LF
    appendLogLine(folder, "");
    EXPECT_EQ(dir.read("LOG.DAT"),
        "\"PAGE SENT: Ann\"\r\n\"ERROR FOR: Bob \"the boss\"\"\r\n\"PAGE SENT: 5550142\r\n#\"\r\n\"\"\r\n");
    const std::vector<std::string> expected { "PAGE SENT: Ann", "ERROR FOR: Bob \"the boss\"",
        "PAGE SENT: 5550142\r\n#", "" };
    EXPECT_EQ(readLog(folder), expected);
}

TEST(PageLog, DamagedLinesAreReadWithoutLosingTheOthers)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    const struct {
        std::string content;
        std::vector<std::string> records;
    } cases[] = {
        { "", {} }, { "\"a\"\r\n\"b", { "a", "b" } }, // last line cut short
        { "\"a\"\r\n\"b\"", { "a", "b" } }, // closing quote without CR LF
        { "junk\"a\"\r\n", { "a" } }, // text before the opening quote
        { "\"a\"\n\"b\"\r\n", { "a\"\n\"b" } }, // LF alone does not end a record
        { "\r\n\r\n\"a\"\r\n", { "a" } }, // blank lines
    };
    for (const auto& c : cases) {
        dir.write("LOG.DAT", c.content);
        EXPECT_EQ(readLog(folder), c.records) << c.content;
    }
}

TEST(PageLog, ClearingDeletesTheFileAndReportsWhetherThereWasOne)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    EXPECT_FALSE(clearLog(folder));
    appendLogLine(folder, "PAGE SENT: Ann");
    EXPECT_TRUE(clearLog(folder));
    EXPECT_FALSE(dir.exists("LOG.DAT"));
    appendLogLine(folder, "PAGE SENT: Bob");
    EXPECT_EQ(readLog(folder), std::vector<std::string> { "PAGE SENT: Bob" });
}

TEST(PageLog, ALineTheDiskCouldOnlyTakePartOfIsNotLeftToSwallowTheNextOne)
{
    TempFolder dir;
    const DataFolder folder(dir.path());
    appendLogLine(folder, "PAGE SENT: Ann");
    // The child's file-size limit lets only the first five bytes of its line reach the disk, as a full disk would.
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 18 + 5, 18 + 5 };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            appendLogLine(folder, "ERROR FOR: Bob");
        } catch (const StoreError&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_EQ(status, 0) << "the short write was not reported";
    EXPECT_EQ(dir.read("LOG.DAT"), "\"PAGE SENT: Ann\"\r\n");
    appendLogLine(folder, "PAGE SENT: Cy");
    EXPECT_EQ(readLog(folder), (std::vector<std::string> { "PAGE SENT: Ann", "PAGE SENT: Cy" }));
}
