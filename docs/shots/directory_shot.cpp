// Builds a directory from a fresh installation the way a new operator would, through the Setup window's own
// boxes and buttons (a paging company, two users, a group with both as members), checks what reached the
// files, and saves a picture of each tab. Run it under a display (Xvfb is enough):
//     directory_shot OUTPUT_FOLDER [DATA_FOLDER]
// With DATA_FOLDER the directory is built there and kept, to page it from the main window afterwards.
#include "platform/dialog_service.h"
#include "shot_support.h"
#include "store/defaults.h"
#include "store/record_file.h"
#include "ui/directory/setup_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace tolvane;

namespace {

class Operator {
public:
    explicit Operator(QWidget& window)
        : m_window(window)
    {
    }
    template <class Widget = QWidget> Widget* get(const char* name)
    {
        auto* widget = m_window.findChild<Widget*>(QString::fromLatin1(name));
        if (!widget)
            std::fprintf(stderr, "no %s\n", name);
        return widget;
    }
    void press(const char* button) { get<QPushButton>(button)->click(); }
    void type(const char* box, const char* text) { QTest::keyClicks(get<QLineEdit>(box), QString::fromLatin1(text)); }
    void choose(const char* box, const char* entry)
    {
        auto* combo = get<QComboBox>(box);
        combo->showPopup();
        combo->setCurrentIndex(combo->findText(QString::fromLatin1(entry), Qt::MatchStartsWith));
        combo->hidePopup();
    }
    void clickEntry(const char* list, int row)
    {
        auto* widget = get<QListWidget>(list);
        const QPoint at = widget->visualItemRect(widget->item(row)).center();
        QTest::mouseClick(widget->viewport(), Qt::LeftButton, {}, at);
    }

private:
    QWidget& m_window;
};

bool expect(bool ok, const char* what)
{
    std::printf("%s: %s\n", ok ? "ok" : "WRONG", what);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QDir output(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QTemporaryDir scratch;
    const std::filesystem::path folderPath = argc > 2 ? argv[2] : scratch.path().toStdString();
    std::filesystem::create_directories(folderPath);
    const store::DataFolder folder(folderPath);
    store::installIfNew(folder);

    platform::ScriptedDialogService dialogs;
    ui::SetupWindow window(folder, dialogs);
    window.show();
    Operator person(window);
    auto* tabs = person.get<QTabWidget>("TabStrip1");

    tabs->setCurrentIndex(1);
    person.press("BADD2");
    person.type("PageComp", "Northwind Paging");
    person.type("PAGEPHONE", "555-0142");
    person.press("BSAVE2");

    tabs->setCurrentIndex(0);
    for (const char* name : { "Kim Osei", "Tom Becker" }) {
        person.press("BADD");
        person.type("uNAME", name);
        person.type("uId", name[0] == 'K' ? "555-1234" : "5559876");
        person.choose("PageCoCombo", "Northwind");
        person.press("BSAVE");
    }

    tabs->setCurrentIndex(2);
    person.press("BADD3");
    person.type("gText", "Night Shift");
    person.type("cText", "Weekend cover");
    person.press("BSAVE3");
    person.clickEntry("gList1", 0);
    // Kim, then Tom, each the second entry once Dana stays a non-member.
    person.clickEntry("gList3", 1);
    person.clickEntry("gList3", 1);

    const auto users = store::readAllRecords<store::UserRecord>(folder);
    const auto companies = store::readAllRecords<store::TerminalRecord>(folder);
    const auto groups = store::readAllRecords<store::GroupRecord>(folder);
    bool ok = expect(dialogs.messages().isEmpty(), "no message box on the way");
    ok &= expect(companies.size() == 2 && companies[1].encode().substr(0, 48).starts_with("Northwind Paging"),
        "company 2 is Northwind Paging");
    ok &= expect(companies.size() == 2 && companies[1].PhoneNumber.starts_with("5550142 ")
            && companies[1].MaxChars == 80 && companies[1].ServiceType == 1 && companies[1].Baud == 19200
            && companies[1].Parity == 2,
        "its number without dashes, 80 characters, alphanumeric, 19200 EVEN 7 1");
    ok &= expect(users.size() == 3 && users[1].UserName.starts_with("Kim Osei ")
            && users[1].PagerId.starts_with("5551234 ") && users[2].UserName.starts_with("Tom Becker "),
        "Kim Osei (5551234) and Tom Becker added after Dana Whitlow");
    ok &= expect(users.size() == 3 && users[1].PagingCompany == companies[1].CompanyName
            && users[2].PagingCompany == companies[1].CompanyName,
        "both name the company exactly as TERMINAL.DAT spells it");
    ok &= expect(groups.size() == 1 && groups[0].GroupName.starts_with("Night Shift "), "group 1 is Night Shift");
    ok &= expect(users.size() == 3 && users[0].GroupFlags == "0000000000" && users[1].GroupFlags == "1000000000"
            && users[2].GroupFlags == "1000000000",
        "Kim and Tom are its members, Dana is not");

    const char* pictures[] = { "directory-users.png", "directory-companies.png", "directory-groups.png" };
    const int shown[] = { 1, 1, 0 }; // the entry each tab shows
    for (int tab = 0; tab < 3; ++tab) {
        tabs->setCurrentIndex(tab);
        const char* list = tab == 0 ? "UList1" : tab == 1 ? "pList" : "gList1";
        person.get<QListWidget>(list)->setCurrentRow(shown[tab]);
        ok = shots::save(window, output.filePath(QString::fromLatin1(pictures[tab]))) && ok;
    }
    return ok ? 0 : 1;
}
