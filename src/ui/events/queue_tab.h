#pragma once

#include "dispatch/paging_desk.h"

#include <QFrame>

#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class FilteredTable;
class LineTableModel;

// The "Current Events" and "Scheduled Events" tabs, which share one frame (cframe) as they share their
// boxes and buttons: the page queue (List1) or the scheduled list (List2) as the desk holds them, each a
// table with its filter box, the parts of the selected entry, scheduling and deleting. Every change goes
// through the desk's commands, and the lists follow the desk's changes, so they are never out of date.
class QueueTab final : public QFrame {
    Q_OBJECT

public:
    QueueTab(dispatch::PagingDesk& desk, platform::DialogService& dialogs, QWidget* parent = nullptr);
    ~QueueTab() override;
    QueueTab(const QueueTab&) = delete;
    QueueTab& operator=(const QueueTab&) = delete;

    // The tab switch: shows one of the two lists, nothing selected, the boxes empty.
    void showList(dispatch::EventList list);
    dispatch::EventList shownList() const { return m_shown; }

    void scheduleSelected(); // "&Schedule Selected"
    // "Send A&gain" for a page that may have been sent, "Send &Now" for a scheduled page.
    void sendSelected();
    void deleteOne();
    void deleteAll();

Q_SIGNALS:
    // BOK "&OK" and Command2 "&Cancel".
    void closeRequested();

private:
    FilteredTable* tableOf(dispatch::EventList list) const;
    LineTableModel* modelOf(dispatch::EventList list) const;
    void syncFromDesk();
    void syncList(dispatch::EventList list, const std::vector<std::string>& entries, std::vector<std::string> words);
    void showEntry(dispatch::EventList list, int line); // a click in either list
    void clearSelection();
    void report(dispatch::EventsOutcome outcome);

    dispatch::PagingDesk& m_desk;
    platform::DialogService& m_dialogs;
    dispatch::PagingDesk::ListenerId m_listener = 0;
    dispatch::EventList m_shown = dispatch::EventList::Queue;

    LineTableModel* m_queueLines = nullptr;
    LineTableModel* m_scheduledLines = nullptr;
    FilteredTable* m_queue = nullptr;
    FilteredTable* m_scheduled = nullptr;
    QLineEdit* m_time = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_message = nullptr;
    QPushButton* m_schedule = nullptr;
    QPushButton* m_sendAgain = nullptr;
    QPushButton* m_deleteOne = nullptr;
    QPushButton* m_deleteAll = nullptr;
};

} // namespace tolvane::ui
