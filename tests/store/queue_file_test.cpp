#include "store/queue_file.h"
#include "store_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tolvane::store;
using Condition = QueueFileContents::Condition;

namespace {

KeptPage page(std::string id, KeptList list, std::string entry)
{
    KeptPage kept;
    kept.id = std::move(id);
    kept.list = list;
    kept.entry = std::move(entry);
    return kept;
}

} // namespace

TEST(QueueFile, EveryChangeReadsBackAndAFileCutAtAnyByteGivesTheLastWholeState)
{
    TempFolder dir;
    const auto path = dir / "QUEUE.DAT";
    QueueFile file(path);
    file.rewrite({});
    // Any bytes in an entry: CR LF, a colon, Windows-1252 letters.
    KeptPage ann = page("A1", KeptList::Queue, "Amberpage Ann \xC4rzte 10:30\r\nline");
    KeptPage ben = page("B2", KeptList::Scheduled, "Bluepage Ben");
    file.append({ { "A1", ann }, { "B2", ben } });
    const std::vector<KeptPage> afterFirst { ann, ben };
    ann.state = KeptState::Leaving;
    ann.logOffset = 1234;
    ann.fields = { { "tries", "2" }, { "next", "20261207T1042" } }; // a later program's fields
    file.append({ { "A1", ann }, { "B2", std::nullopt } });
    const std::vector<KeptPage> afterSecond { ann };

    const std::string whole = dir.read("QUEUE.DAT");
    EXPECT_EQ(whole.substr(0, 38), "TOLVANE PAGE QUEUE 1\r\nend 0 00000000\r\n");
    EXPECT_NE(whole.find("page A1 queue leaving log=1234 tries=2 next=20261207T1042 31:"), std::string::npos) << whole;
    EXPECT_NE(whole.find("drop B2\r\nend 2 "), std::string::npos);
    const std::size_t firstEnd = whole.find("end 2 ") + 16;
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
        dir.write("CUT.DAT", whole.substr(0, cut));
        const QueueFileContents read = readQueueFile(dir / "CUT.DAT");
        const bool atEnd = cut == 0 || cut == 22 || cut == 38 || cut == firstEnd || cut == whole.size();
        EXPECT_EQ(read.condition, atEnd ? Condition::Whole : Condition::TornTail) << cut;
        EXPECT_EQ(read.pages,
            cut == whole.size()   ? afterSecond
                : cut >= firstEnd ? afterFirst
                                  : std::vector<KeptPage> {})
            << cut;
    }
}

TEST(QueueFile, DamageOtherThanACutIsToldApartAndNeverHidesWhatCameBefore)
{
    TempFolder dir;
    const auto path = dir / "QUEUE.DAT";
    QueueFile file(path);
    file.rewrite({ page("A1", KeptList::Queue, "Ann") });
    file.append({ { "B2", page("B2", KeptList::Queue, "Ben") } });
    file.append({ { "C3", page("C3", KeptList::Queue, "Cal") } });
    std::string bytes = dir.read("QUEUE.DAT");
    bytes[bytes.find("Ben")] = 'X'; // a change whose check sum no longer matches, with a whole one after it
    dir.write("QUEUE.DAT", bytes);
    QueueFileContents read = readQueueFile(path);
    EXPECT_EQ(read.condition, Condition::Damaged);
    EXPECT_EQ(read.pages, std::vector<KeptPage> { page("A1", KeptList::Queue, "Ann") });
    EXPECT_NE(read.problem.find("check sum"), std::string::npos) << read.problem;

    dir.write("QUEUE.DAT", "USERS.DAT by mistake");
    EXPECT_EQ(readQueueFile(path).condition, Condition::Unreadable);
    std::filesystem::remove(path);
    ::mkfifo(path.c_str(), 0644); // never waits for a writer
    EXPECT_EQ(readQueueFile(path).condition, Condition::Unreadable);
    EXPECT_EQ(readQueueFile(dir / "NONE.DAT").condition, Condition::Missing);

    // Set aside under new names, never over one another.
    const auto first = setFileAside(path);
    dir.write("QUEUE.DAT", "second");
    const auto second = setFileAside(path);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.filename().string().rfind("QUEUE.DAT.unreadable-", 0), 0u);
    EXPECT_EQ(tolvane::testkit::readFile(second), "second");
    EXPECT_FALSE(dir.exists("QUEUE.DAT"));
    // Appending to a file removed (or set aside) behind the writer's back would keep nothing: refused.
    EXPECT_THROW(file.append({ { "D4", page("D4", KeptList::Queue, "Dee") } }), StoreError);
}
