#include "dispatch/entry_list.h"

#include "engine/queue_entry.h"
#include "store/records.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

std::string entryFor(std::string company, std::string name)
{
    const store::UserRecord user { std::move(name), "5550100", std::move(company), "0000000000" };
    return engine::buildQueueEntry(user, "09:05 AM", "12/06/2026", "Hello", 80);
}

TEST(EntryList, KeepsEntriesSortedByTheirBytesSoEachCompanyIsOneRun)
{
    EntryList list;
    EXPECT_EQ(list.insert(entryFor("Bluepage", "Ann")), 0);
    EXPECT_EQ(list.insert(entryFor("Amberpage", "Cal")), 0);
    EXPECT_EQ(list.insert(entryFor("Amberpage", "Ben")), 0);
    list.insert(entryFor("ravenpage", "Ann"));
    list.insert(entryFor("Ravenpage", "Zed"));
    list.insert(entryFor("Ravenpage", "Ann"));
    list.insert(entryFor("Ravenpage", "Ann"));
    list.insert(entryFor("\xC4rzte Paging", "Dee")); // a Windows-1252 letter above 0x7F sorts last

    std::vector<std::string> heads;
    for (int i = 0; i < list.count(); ++i)
        heads.push_back(list.entry(i).substr(0, 28));
    EXPECT_EQ(heads,
        (std::vector<std::string> { "Amberpage                Ben", "Amberpage                Cal",
            "Bluepage                 Ann", "Ravenpage                Ann", "Ravenpage                Ann",
            "Ravenpage                Zed", "ravenpage                Ann", "\xC4rzte Paging             Dee" }));
    EXPECT_EQ(list.entry(3), list.entry(4));
    // A run reads the list by index: replacing an entry never moves it; out of range does nothing.
    list.replace(0, "PAGE SENT: Ben");
    list.replace(8, "x");
    list.removeAt(-1);
    EXPECT_EQ(list.entry(0), "PAGE SENT: Ben");
    EXPECT_EQ(list.count(), 8);
    EXPECT_EQ(list.entry(8), "");
}

} // namespace
} // namespace tolvane::dispatch
