#include "ui/events/queue_tab.h"

#include "dispatch/entry_columns.h"
#include "engine/queue_entry.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "store/text.h"
#include "ui/events/detail_boxes.h"
#include "ui/events/filtered_table.h"
#include "ui/events/line_table_model.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
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

    const auto makeTable = [this](LineTableModel*& lines, FilteredTable::Names names, EventList which) {
        const LineTableModel::Layout layout { { dispatch::kEntryHeaders.begin(), dispatch::kEntryHeaders.end() },
            dispatch::entryColumn, dispatch::EntryTime, dispatch::EntryDate, dispatch::EntryStatus };
        lines = new LineTableModel(layout, this);
        auto* table = new FilteredTable(lines, names, true, this);
        table->setColumnWidths({ "Northwind Page", "Charlotte Catherine", "5550100123", "12:58 PM", "12/07/2026",
            "Try 2 of 3 at 10:42 PM: 512" });
        connect(table, &FilteredTable::currentLineChanged, this, [this, which](int line) { showEntry(which, line); });
        return table;
    };
    m_queue = makeTable(m_queueLines, { "List1", "queueFilter", "queueNoMatch" }, EventList::Queue);
    m_scheduled = makeTable(m_scheduledLines, { "List2", "scheduledFilter", "scheduledNoMatch" }, EventList::Scheduled);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_queue, 1);
    layout->addWidget(m_scheduled, 1);
    QGridLayout* grid = addBoxPanel(layout, "SSPanel1");
    // Only the time and date are the operator's to change: they are what a page is scheduled for.
    m_time = addDetailBox(grid, 0, 0, "TTIME", QStringLiteral("Time:"), false);
    m_time->setPlaceholderText(QStringLiteral("11:08 PM or 23:08"));
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

FilteredTable* QueueTab::tableOf(EventList list) const
{
    return list == EventList::Queue ? m_queue : m_scheduled;
}

LineTableModel* QueueTab::modelOf(EventList list) const
{
    return list == EventList::Queue ? m_queueLines : m_scheduledLines;
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
    m_queue->setCurrentLine(-1);
    m_scheduled->setCurrentLine(-1);
    showEntry(m_shown, -1);
}

void QueueTab::syncFromDesk()
{
    // The queue's status column says where each page's tries stand, in words the entry has no room for.
    std::vector<std::string> words;
    for (int i = 0; i < m_desk.pageQueue().count(); ++i)
        words.push_back(m_desk.statusWords(i));
    syncList(EventList::Queue, m_desk.pageQueue().entries(), std::move(words));
    syncList(EventList::Scheduled, m_desk.scheduledList().entries(), {});
}

void QueueTab::syncList(EventList which, const std::vector<std::string>& entries, std::vector<std::string> words)
{
    LineTableModel* lines = modelOf(which);
    if (entries == lines->lines() && words == lines->words())
        return;
    FilteredTable* table = tableOf(which);
    const int row = table->currentLine();
    const std::string selected = row >= 0 ? lines->line(row) : std::string();
    lines->setLines(entries, std::move(words));
    table->linesChanged();
    if (row < 0)
        return;
    // The selected entry keeps its selection (and the boxes what the operator typed) wherever it moved to.
    const auto found = std::find(entries.begin(), entries.end(), selected);
    const bool kept = found != entries.end() && table->setCurrentLine(static_cast<int>(found - entries.begin()));
    if (!kept && which == m_shown)
        showEntry(which, -1);
}

void QueueTab::showEntry(EventList list, int line)
{
    if (list != m_shown)
        return;
    const LineTableModel* lines = modelOf(list);
    const bool selected = line >= 0 && line < lines->rowCount();
    const std::string entry = selected ? lines->line(line) : std::string();
    m_time->setText(selected ? oneLine(engine::timeColumn(entry).substr(0, 10)) : QString());
    m_date->setText(selected ? oneLine(engine::dateColumn(entry)) : QString());
    m_user->setText(selected ? oneLine(engine::nameColumn(entry)) : QString());
    // A page that may have been sent says so in full; a ready one shows its 13 characters as ever.
    const std::string status = engine::statusColumn(entry);
    const bool uncertain = status == store::fixedText(engine::kStatusMayHaveBeenSent, 20);
    const std::string words = selected && list == EventList::Queue ? m_desk.statusWords(line) : std::string();
    if (!words.empty())
        m_status->setText(oneLine(words));
    else
        m_status->setText(
            selected ? oneLine(list == EventList::Queue && !uncertain ? status.substr(0, 13) : status) : QString());
    m_status->setCursorPosition(0);
    m_message->setText(selected && entry.size() > 196 ? oneLine(std::string_view(entry).substr(196)) : QString());
    m_message->setCursorPosition(0);
    // Scheduling takes a page from the queue; deleting works on whichever list is shown.
    m_schedule->setEnabled(selected && list == EventList::Queue);
    m_sendAgain->setEnabled(selected && (list == EventList::Scheduled || uncertain || m_desk.waitsForOperator(line)));
    m_deleteOne->setEnabled(selected);
}

void QueueTab::report(dispatch::EventsOutcome outcome)
{
    const std::string text = dispatch::eventsMessage(outcome);
    if (!text.empty())
        m_dialogs.message(platform::fromCore(text));
}

void QueueTab::scheduleSelected()
{
    if (m_shown != EventList::Queue)
        return;
    const int row = m_queue->currentLine();
    if (row < 0)
        return;
    report(m_desk.schedule(row, platform::toCore(m_time->text()), platform::toCore(m_date->text())));
}

void QueueTab::sendSelected()
{
    report(m_desk.sendAgain(m_shown, tableOf(m_shown)->currentLine()));
}

void QueueTab::deleteOne()
{
    report(m_desk.deleteOne(m_shown, tableOf(m_shown)->currentLine()));
}

void QueueTab::deleteAll()
{
    // "Delete All" empties the whole list, the pages the filter hides too: say so before they go unseen.
    const int all = modelOf(m_shown)->rowCount();
    const int shown = tableOf(m_shown)->shownLineCount();
    if (shown < all
        && !m_dialogs.ask(
            QStringLiteral("The filter shows %1 of the %2 pages. Delete all %2 pages?").arg(shown).arg(all)))
        return;
    report(m_desk.deleteAll(m_shown));
}

} // namespace tolvane::ui
