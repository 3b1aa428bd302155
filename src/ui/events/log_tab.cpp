#include "ui/events/log_tab.h"

#include "dispatch/entry_columns.h"
#include "dispatch/log_lines.h"
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "ui/events/detail_boxes.h"
#include "ui/events/filtered_table.h"
#include "ui/events/line_table_model.h"
#include "ui/search/search_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace tolvane::ui {

LogTab::LogTab(const dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs,
    QWidget* parent)
    : QFrame(parent)
    , m_desk(desk)
    , m_folder(folder)
    , m_dialogs(dialogs)
    , m_model(new LineTableModel(
          { { dispatch::kLogHeaders.begin(), dispatch::kLogHeaders.end() }, dispatch::logColumn }, this))
{
    setObjectName(QStringLiteral("Lframe"));

    // The log's own order is the order things happened: it is not sorted.
    m_table = new FilteredTable(m_model, { "LList1", "logFilter", "logNoMatch" }, false, this);
    m_table->setColumnWidths({ "Outcome", "Charlotte Catherine", "12:58 PM", "12/07/2026" });
    connect(m_table, &FilteredTable::currentLineChanged, this, &LogTab::showLine);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    QGridLayout* grid = addBoxPanel(layout, "LSSPanel1");
    m_status = addDetailBox(grid, 0, 0, "LTSTATUS", QStringLiteral("Status:"), true);
    m_user = addDetailBox(grid, 0, 1, "LTUSER", QStringLiteral("User:"), true);
    m_time = addDetailBox(grid, 1, 0, "LTTIME", QStringLiteral("Time:"), true);
    m_date = addDetailBox(grid, 1, 1, "LTDATE", QStringLiteral("Date:"), true);
    m_message = addDetailBox(grid, 2, 0, "LTMESSAGE", QStringLiteral("Message:"), true, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 2);

    QHBoxLayout* row = addButtonPanel(layout, "LSSPanel2");
    connect(addButton(row, "LBSEARCH", QStringLiteral("&Search")), &QPushButton::clicked, this, &LogTab::searchLog);
    connect(addButton(row, "LBCLEAR", QStringLiteral("&Clear File")), &QPushButton::clicked, this, &LogTab::clearLog);
    row->addStretch(1);
    connect(addButton(row, "LBOK", QStringLiteral("&OK")), &QPushButton::clicked, this, &LogTab::closeRequested);
}

void LogTab::loadLog()
{
    const int selected = m_table->currentLine();
    m_model->setLines(dispatch::loadLog(m_folder));
    m_table->linesChanged();
    if (m_table->setCurrentLine(selected))
        showLine(selected);
    else
        showLine(-1);
}

void LogTab::showLine(int row)
{
    dispatch::LogLineParts parts;
    if (row >= 0 && row < m_model->rowCount())
        parts = dispatch::logLineParts(m_model->line(row), m_desk.messageLimit());
    m_status->setText(oneLine(parts.status));
    m_user->setText(oneLine(parts.user));
    m_time->setText(oneLine(parts.time));
    m_date->setText(oneLine(parts.date));
    m_message->setText(oneLine(parts.message));
    m_message->setCursorPosition(0);
}

SearchDialog* LogTab::searchDialog() const
{
    return m_search;
}

void LogTab::searchLog()
{
    // Beside the filter, the log's search finds a user by the beginning of the name, in the lines shown.
    if (!m_search) {
        m_search = new SearchDialog(QStringLiteral("TSearch4"), QStringLiteral("Search"), this);
        m_search->searchView(m_table->view(), dispatch::LogName);
    }
    m_search->show();
    m_search->raise();
    m_search->activateWindow();
}

void LogTab::clearLog()
{
    // A log that is missing or cannot be deleted stays listed as it is, and so does one kept on a No.
    const auto ask = [this](const std::string& question) { return m_dialogs.ask(platform::fromCore(question)); };
    if (!dispatch::eraseLogAsked(m_folder, ask))
        return;
    m_model->setLines({});
    m_table->linesChanged();
    showLine(-1);
}

} // namespace tolvane::ui
