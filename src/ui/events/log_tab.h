#pragma once

#include "store/data_folder.h"

#include <QFrame>
#include <QPointer>

class QLineEdit;
class QTableView;

namespace tolvane::dispatch {
class PagingDesk;
}
namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class FilteredTable;
class LineTableModel;
class SearchDialog;

// The "Logged Events" tab (frame Lframe): LOG.DAT in file order as a table with its filter box, the parts of
// the selected line, the log's search and "Clear File". The list is a snapshot, read again each time the tab
// is shown.
class LogTab final : public QFrame {
    Q_OBJECT

public:
    // The desk gives the message length limit the message box shows at; "Clear File" asks first.
    LogTab(const dispatch::PagingDesk& desk, const store::DataFolder& folder, platform::DialogService& dialogs,
        QWidget* parent = nullptr);

    // loadLog: reads the file again; the selected row stays selected while the log still has it.
    void loadLog();

    void searchLog();
    void clearLog();

    FilteredTable* table() const { return m_table; }
    const LineTableModel& model() const { return *m_model; }
    SearchDialog* searchDialog() const;

Q_SIGNALS:
    // LBOK "&OK".
    void closeRequested();

private:
    void showLine(int row); // a click in the log list

    const dispatch::PagingDesk& m_desk;
    const store::DataFolder& m_folder;
    platform::DialogService& m_dialogs;
    LineTableModel* m_model = nullptr;
    FilteredTable* m_table = nullptr;
    QLineEdit* m_status = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_time = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_message = nullptr;
    QPointer<SearchDialog> m_search;
};

} // namespace tolvane::ui
