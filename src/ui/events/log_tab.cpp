#include "ui/events/log_tab.h"

#include "dispatch/log_lines.h"
#include "dispatch/paging_desk.h"
#include "platform/dialog_service.h"
#include "platform/text_bridge.h"
#include "ui/events/detail_boxes.h"
#include "ui/events/log_list_model.h"
#include "ui/search/search_dialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane::ui {

LogTab::LogTab(const dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs,
    QWidget* parent)
    : QFrame(parent)
    , m_desk(desk)
    , m_folder(folder)
    , m_dialogs(dialogs)
    , m_model(new LogListModel(this))
{
    setObjectName(QStringLiteral("Lframe"));

    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("LList1"));
    // Every row has the same height: the view never measures a long log line by line.
    m_list->setUniformItemSizes(true);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->setModel(m_model);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current) { showLine(current.row()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
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
    const int selected = m_list->currentIndex().row();
    m_model->setLines(dispatch::loadLog(m_folder));
    if (selected >= 0 && selected < m_model->rowCount())
        m_list->setCurrentIndex(m_model->index(selected));
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
    // The log has no search of its own: this one finds a user by the beginning of the name column.
    if (!m_search) {
        m_search = new SearchDialog(QStringLiteral("TSearch4"), QStringLiteral("Search"), this);
        m_search->searchView(m_list, dispatch::kLogUserColumn);
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
    m_model->clear();
    showLine(-1);
}

} // namespace tolvane::ui
