#include "ui/events/queue_tab.h"

#include "engine/queue_entry.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/text.h"
#include "ui/events/detail_boxes.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane::ui {

using dispatch::EventList;

QueueTab::QueueTab(dispatch::PagingDesk& desk, platform::DialogService& dialogs, QWidget* parent)
    : QFrame(parent)
    , m_desk(desk)
    , m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("cframe"));

    const auto makeList = [this](const char* name) {
        auto* list = new QListWidget(this);
        list->setObjectName(QString::fromLatin1(name));
        list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        list->setUniformItemSizes(true);
        return list;
    };
    m_queue = makeList("List1");
    m_scheduled = makeList("List2");
    connect(m_queue, &QListWidget::currentRowChanged, this, [this](int row) { showEntry(EventList::Queue, row); });
    connect(
        m_scheduled, &QListWidget::currentRowChanged, this, [this](int row) { showEntry(EventList::Scheduled, row); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_queue, 1);
    layout->addWidget(m_scheduled, 1);
    QGridLayout* grid = addBoxPanel(layout, "SSPanel1");
    // Only the time and date are the operator's to change: they are what a page is scheduled for.
    m_time = addDetailBox(grid, 0, 0, "TTIME", QStringLiteral("Time:"), false);
    m_date = addDetailBox(grid, 0, 1, "TDATE", QStringLiteral("Date:"), false);
    m_user = addDetailBox(grid, 1, 0, "TUSER", QStringLiteral("User:"), true);
    m_status = addDetailBox(grid, 1, 1, "TSTATUS", QStringLiteral("Status:"), true);
    m_message = addDetailBox(grid, 2, 0, "TMESSAGE", QStringLiteral("Message:"), true, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    QHBoxLayout* row = addButtonPanel(layout, "SSPanel2");
    m_schedule = addButton(row, "Command1", QStringLiteral("&Schedule Selected"));
    m_sendAgain = addButton(row, "BSENDAGAIN", QStringLiteral("Send A&gain"));
    m_deleteOne = addButton(row, "BDELONE", QStringLiteral("Delete &One"));
    m_deleteAll = addButton(row, "BDELALL", QStringLiteral("Delete &All"));
    row->addStretch(1);
    connect(m_schedule, &QPushButton::clicked, this, &QueueTab::scheduleSelected);
    connect(m_sendAgain, &QPushButton::clicked, this, &QueueTab::sendSelected);
    connect(m_deleteOne, &QPushButton::clicked, this, &QueueTab::deleteOne);
    connect(m_deleteAll, &QPushButton::clicked, this, &QueueTab::deleteAll);
    connect(addButton(row, "BOK", QStringLiteral("&OK")), &QPushButton::clicked, this, &QueueTab::closeRequested);
    connect(
        addButton(row, "Command2", QStringLiteral("&Cancel")), &QPushButton::clicked, this, &QueueTab::closeRequested);

    m_listener = m_desk.addChangeListener([this] { syncFromDesk(); });
    syncFromDesk();
    showList(EventList::Queue);
}

QueueTab::~QueueTab()
{
    m_desk.removeChangeListener(m_listener);
}

QListWidget* QueueTab::listOf(EventList list) const
{
    return list == EventList::Queue ? m_queue : m_scheduled;
}

void QueueTab::showList(EventList list)
{
    m_shown = list;
    m_sendAgain->setText(list == EventList::Queue ? QStringLiteral("Send A&gain") : QStringLiteral("Send &Now"));
    m_queue->setVisible(list == EventList::Queue);
    m_scheduled->setVisible(list == EventList::Scheduled);
    // A selection on the hidden list would be what the buttons act on: none is kept.
    clearSelection();
}

void QueueTab::clearSelection()
{
    for (QListWidget* list : { m_queue, m_scheduled }) {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    showEntry(m_shown, -1);
}

void QueueTab::syncFromDesk()
{
    syncList(EventList::Queue, m_desk.pageQueue().entries(), m_shownQueue);
    syncList(EventList::Scheduled, m_desk.scheduledList().entries(), m_shownScheduled);
}

void QueueTab::syncList(EventList which, const std::vector<std::string>& entries, std::vector<std::string>& shown)
{
    if (entries == shown)
        return;
    QListWidget* list = listOf(which);
    const int row = list->currentRow();
    const std::string selected
        = row >= 0 && row < static_cast<int>(shown.size()) ? shown[static_cast<std::size_t>(row)] : std::string();
    shown = entries;
    {
        const QSignalBlocker blocker(list);
        list->clear();
        for (const auto& entry : entries)
            list->addItem(oneLine(entry));
    }
    if (row < 0)
        return;
    // The selected entry keeps its selection (and the boxes what the operator typed) wherever it moved to.
    const auto found = std::find(entries.begin(), entries.end(), selected);
    if (found != entries.end()) {
        const QSignalBlocker blocker(list);
        list->setCurrentRow(static_cast<int>(found - entries.begin()));
    } else if (which == m_shown) {
        showEntry(which, -1);
    }
}

void QueueTab::showEntry(EventList list, int row)
{
    if (list != m_shown)
        return;
    const std::vector<std::string>& entries = list == EventList::Queue ? m_shownQueue : m_shownScheduled;
    const bool selected = row >= 0 && row < static_cast<int>(entries.size());
    const std::string entry = selected ? entries[static_cast<std::size_t>(row)] : std::string();
    m_time->setText(selected ? oneLine(engine::timeColumn(entry).substr(0, 10)) : QString());
    m_date->setText(selected ? oneLine(engine::dateColumn(entry)) : QString());
    m_user->setText(selected ? oneLine(engine::nameColumn(entry)) : QString());
    // A page that may have been sent says so in full; a ready one shows its 13 characters as ever.
    const std::string status = engine::statusColumn(entry);
    const bool uncertain = status == store::fixedText(engine::kStatusMayHaveBeenSent, 20);
    m_status->setText(
        selected ? oneLine(list == EventList::Queue && !uncertain ? status.substr(0, 13) : status) : QString());
    m_message->setText(selected && entry.size() > 196 ? oneLine(std::string_view(entry).substr(196)) : QString());
    m_message->setCursorPosition(0);
    // Scheduling takes a page from the queue; deleting works on whichever list is shown.
    m_schedule->setEnabled(selected && list == EventList::Queue);
    m_sendAgain->setEnabled(selected && (list == EventList::Scheduled || uncertain));
    m_deleteOne->setEnabled(selected);
}

void QueueTab::report(dispatch::EventsOutcome outcome)
{
    const std::string_view text = dispatch::eventsMessage(outcome);
    if (!text.empty())
        m_dialogs.message(platform::fromCore(text));
}

void QueueTab::scheduleSelected()
{
    if (m_shown != EventList::Queue)
        return;
    const int row = m_queue->currentRow();
    if (row < 0)
        return;
    report(m_desk.schedule(row, platform::toCore(m_time->text()), platform::toCore(m_date->text())));
}

void QueueTab::sendSelected()
{
    report(m_desk.sendAgain(m_shown, listOf(m_shown)->currentRow()));
}

void QueueTab::deleteOne()
{
    report(m_desk.deleteOne(m_shown, listOf(m_shown)->currentRow()));
}

void QueueTab::deleteAll()
{
    report(m_desk.deleteAll(m_shown));
}

} // namespace tolvane::ui
