#include "ui/search/search_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>

using tolvane::ui::SearchDialog;

namespace {

// Blank-padded names, as the directory lists show them.
QListWidget* paddedNames(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    for (const char* name : { "Bob Ames", "bobby", "Carol Diaz", "Bo Lin", "carl" })
        list->addItem(QString::fromLatin1(name).leftJustified(25));
    return list;
}

TEST(SearchDialog, TypingMovesToTheFirstEntryThatBeginsWithTheTextInEitherCaseBlanksIncluded)
{
    QWidget owner;
    QListWidget* list = paddedNames(&owner);
    auto* search = new SearchDialog(QStringLiteral("TSearch2"), QStringLiteral("Search User"), &owner);
    search->searchList(list);
    QList<int> handled;
    QObject::connect(list, &QListWidget::currentRowChanged, [&](int row) { handled.append(row); });

    QTest::keyClicks(search->searchBox(), QStringLiteral("c"));
    EXPECT_EQ(list->currentRow(), 2) << "Carol, not carl: the first in list order";
    QTest::keyClicks(search->searchBox(), QStringLiteral("AR"));
    EXPECT_EQ(list->currentRow(), 2);
    QTest::keyClick(search->searchBox(), Qt::Key_L);
    EXPECT_EQ(list->currentRow(), 4) << "carl is the first that begins with all four letters";
    EXPECT_EQ(handled, QList<int>({ 2, 4 })) << "the list's own handling runs for each new selection";

    QTest::keyClicks(search->searchBox(), QStringLiteral("zz"));
    EXPECT_EQ(list->currentRow(), 4) << "a text nothing begins with leaves the selection";

    search->searchBox()->clear();
    EXPECT_EQ(list->currentRow(), 0) << "an empty text selects the first entry";

    // A trailing blank matches only names with a blank there: the padding is part of the entry.
    QTest::keyClicks(search->searchBox(), QStringLiteral("bo "));
    EXPECT_EQ(list->currentRow(), 3) << "Bo Lin, not Bob Ames or bobby";
    QTest::keyClicks(search->searchBox(), QStringLiteral("lin                    "));
    EXPECT_EQ(list->currentRow(), 3);
}

TEST(SearchDialog, EnterAndDoneCloseTheDialogAndKeepTheSelection)
{
    QWidget owner;
    QListWidget* list = paddedNames(&owner);
    for (const bool useEnter : { true, false }) {
        QPointer<SearchDialog> search = new SearchDialog(QStringLiteral("TSearch3"), QStringLiteral("Search"), &owner);
        search->searchList(list);
        search->show();
        QTest::keyClicks(search->searchBox(), QStringLiteral("carl"));
        if (useEnter)
            QTest::keyClick(search->searchBox(), Qt::Key_Return);
        else
            search->findChild<QPushButton*>(QStringLiteral("BDONE"))->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(search.isNull()) << (useEnter ? "Enter" : "Done") << " unloads the dialog";
        EXPECT_EQ(list->currentRow(), 4);
        list->setCurrentRow(0);
    }
}

} // namespace
