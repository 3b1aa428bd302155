#include "dispatch/entry_list.h"

#include "engine/queue_entry.h"
#include "store/records.h"

#include <gtest/gtest.h>

namespace tolvane::dispatch {
namespace {

std::string entryFor(std::string company, std::string name, std::string message = "Hello")
{
    const store::UserRecord user { std::move(name), "5550100", std::move(company), "0000000000" };
    return engine::buildQueueEntry(user, "09:05 AM", "12/06/2026", message, 80);
}

TEST(EntryList, EntriesForBAAStandAsAAB)
{
    EntryList list;
    EXPECT_EQ(list.insert(entryFor("Bluepage", "Ann")), 0);
    EXPECT_EQ(list.insert(entryFor("Amberpage", "Cal")), 0);
    EXPECT_EQ(list.insert(entryFor("Amberpage", "Ben")), 0);

    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entry(0).substr(0, 50), "Amberpage                Ben                      ");
    EXPECT_EQ(list.entry(1).substr(0, 50), "Amberpage                Cal                      ");
    EXPECT_EQ(list.entry(2).substr(0, 50), "Bluepage                 Ann                      ");
}

TEST(EntryList, ComparesBytesSoCaseSeparatesCompanies)
{
    EntryList list;
    list.insert(entryFor("ravenpage", "Ann"));
    list.insert(entryFor("Ravenpage", "Ben"));
    list.insert(entryFor("Ravenpage", "Cal"));
    list.insert(entryFor("\xC4rzte Paging", "Dee")); // a Windows-1252 letter above 0x7F sorts last

    EXPECT_EQ(list.entry(0).substr(0, 9), "Ravenpage");
    EXPECT_EQ(list.entry(1).substr(0, 9), "Ravenpage");
    EXPECT_EQ(list.entry(2).substr(0, 9), "ravenpage");
    EXPECT_EQ(list.entry(3).substr(0, 1), "\xC4");
}

TEST(EntryList, EqualEntriesStandNextToEachOther)
{
    EntryList list;
    list.insert(entryFor("Ravenpage", "Ann"));
    list.insert(entryFor("Ravenpage", "Zed"));
    list.insert(entryFor("Ravenpage", "Ann"));
    EXPECT_EQ(list.entry(0), list.entry(1));
    EXPECT_NE(list.entry(1), list.entry(2));
}

TEST(EntryList, ReplaceKeepsThePlaceAndOutOfRangeIsHarmless)
{
    EntryList list;
    list.insert(entryFor("Amberpage", "Ann"));
    list.insert(entryFor("Bluepage", "Ben"));
    list.replace(0, "PAGE SENT: Ann");
    EXPECT_EQ(list.entry(0), "PAGE SENT: Ann");
    EXPECT_EQ(list.entry(1).substr(0, 8), "Bluepage");

    list.replace(5, "x");
    list.removeAt(-1);
    list.removeAt(2);
    EXPECT_EQ(list.entry(7), "");
    EXPECT_EQ(list.count(), 2);

    list.removeAt(0);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.entry(0).substr(0, 8), "Bluepage");
}

} // namespace
} // namespace tolvane::dispatch
