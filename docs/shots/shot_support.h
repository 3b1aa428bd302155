#pragma once

// What the picture programs for the docs share: saving a window once it has painted, and the small office
// the main window's and the Events window's pictures show.
#include "store/record_file.h"
#include "testkit/data_folder_fixture.h"

#include <QPixmap>
#include <QString>
#include <QTest>
#include <QWidget>

#include <cstdio>

namespace tolvane::shots {

// Saves a picture of `window` into `file`; says so on standard error when it cannot.
inline bool save(QWidget& window, const QString& file)
{
    QTest::qWait(200);
    if (window.grab().save(file))
        return true;
    std::fprintf(stderr, "could not save %s\n", qPrintable(file));
    return false;
}

// Seven people of two paging companies (Ravenpage and Northwind Paging) and their memberships of the groups
// "Night Shift", "Managers" and "Facilities".
inline void writeSampleOffice(testkit::DataFolderFixture& data)
{
    const char* people[][3] = { { "Dana Whitlow", "Ravenpage", "1000000000" },
        { "Alex Moreno", "Ravenpage", "1100000000" }, { "Kim Osei", "Northwind Paging", "0100000000" },
        { "Priya Natarajan", "Ravenpage", "1000000000" }, { "Tom Becker", "Northwind Paging", "0010000000" },
        { "Lena Fischer", "Ravenpage", "0010000000" }, { "Marcus Hale", "Northwind Paging", "0000000000" } };
    data.terminals.push_back(testkit::DataFolderFixture::alphaCompany("Northwind Paging"));
    data.users.clear();
    for (const auto& [name, company, groups] : people) {
        data.users.push_back(testkit::DataFolderFixture::user(name, "5550100", company));
        data.users.back().GroupFlags = groups;
    }
    data.write();
    int record = 0;
    for (const char* group : { "Night Shift", "Managers", "Facilities" })
        store::writeRecordAt(data.folder().pathOf<store::GroupRecord>(), ++record, store::GroupRecord { group, "" });
}

} // namespace tolvane::shots
