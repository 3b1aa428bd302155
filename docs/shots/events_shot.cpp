// Opens the Events window (each of its three tabs) and the Quick Page window on sample data and saves a
// picture of each into the folder named on the command line. For the docs; run it under a display (Xvfb).
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "shot_support.h"
#include "store/page_log.h"
#include "testkit/fixed_clock.h"
#include "testkit/recording_view.h"
#include "ui/events/events_window.h"
#include "ui/quickpage/quick_page.h"

#include <QApplication>
#include <QTableView>

#include <fstream>

using namespace tolvane;

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString folder = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".")) + QLatin1Char('/');

    testkit::DataFolderFixture data;
    shots::writeSampleOffice(data);
    std::ofstream canned(data.folder().programPath("QUICK.DAT"), std::ios::binary);
    for (const char* text : { "Please call the front desk", "Meeting moved to 3 PM", "Server room alarm",
             "Your visitor is waiting in reception", "Call me when you are free" })
        canned << QString::fromLatin1(text).leftJustified(80).toStdString();
    canned.close();
    const char* logged[] = { "Server room temperature alarm", "Delivery at the loading dock",
        "Staff meeting moved to 3 PM", "Your visitor is waiting in reception" };
    for (int i = 0; i < 4; ++i)
        store::appendLogLine(data.folder(),
            std::string(i == 2 ? "ERROR FOR: " : "PAGE SENT: ")
                + QString::fromStdString(data.users[i].UserName).leftJustified(25).toStdString()
                + "09:05 AM     12/06/202" + logged[i]);

    testkit::RecordingView view;
    testkit::FixedClock clock; // the pictures show one fixed morning, whenever they are drawn
    dispatch::PagingDesk desk(data.folder(), view, clock);
    platform::ScriptedDialogService dialogs;
    desk.loadUsers();
    for (int user = 0; user < 5; ++user)
        desk.addUser(user);
    desk.setMessage("Fire drill at 11:30 - please use the north stairs");
    desk.queueMessage();
    desk.schedule(1, "11:25 AM", "12/06/2026");
    desk.schedule(2, "16:30", "12/07/2026");
    // One page was on its way when its call ended without an answer: the operator sends it again or deletes it.
    desk.callQueue().pageLeaving(1);
    desk.pageQueue().settleUnanswered();

    ui::EventsWindow events(desk, data.folder(), dialogs);
    events.show();
    const auto select = [&](const char* table, int row) {
        auto* shown = events.findChild<QTableView*>(QString::fromLatin1(table));
        shown->setCurrentIndex(shown->model()->index(row, 0));
    };
    select("List1", 1);
    bool saved = shots::save(events, folder + QStringLiteral("events-current.png"));
    events.showTab(ui::EventsWindow::Scheduled);
    select("List2", 0);
    saved = shots::save(events, folder + QStringLiteral("events-scheduled.png")) && saved;
    events.showTab(ui::EventsWindow::Logged);
    select("LList1", 2);
    saved = shots::save(events, folder + QStringLiteral("events-logged.png")) && saved;
    events.hide();

    auto* quick = new ui::QuickPage(desk, data.folder(), dialogs);
    quick->show();
    saved = shots::save(*quick, folder + QStringLiteral("quick-page.png")) && saved;
    quick->close();
    return saved ? 0 : 1;
}
