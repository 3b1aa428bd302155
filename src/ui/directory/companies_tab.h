#pragma once

#include "store/directory_rules.h"
#include "store/record_file.h"
#include "ui/directory/directory_tab.h"
#include "ui/directory/directory_widgets.h"

#include <map>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QListWidget;

namespace tolvane::ui {

// The "Paging Companies" tab (frame Pframe): the companies of TERMINAL.DAT, the shown company's number,
// line settings, longest message, service and password, and add, save, update, cancel, delete and search.
// While the tab is shown it keeps TERMINAL.DAT open, so that another workstation cannot delete a company
// from under it.
class CompaniesTab final : public DirectoryTab {
    Q_OBJECT

public:
    CompaniesTab(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    // PageCoView: open TERMINAL.DAT, list the companies and show the first.
    void fill() override;
    bool typing() const override { return m_buttons.state() != EditState::Viewing; }

    void selectCompany(int row);
    void addCompany();
    void saveCompany();
    void updateCompany();
    void cancelEdit();
    void deleteCompany();
    void searchCompanies();

protected:
    void closeFiles() override { m_file.reset(); }
    void refresh() override;

private:
    store::RecordFile& file();
    std::vector<store::TerminalRecord> readCompanies();
    static QStringList namesOf(const std::vector<store::TerminalRecord>& companies);
    void listCompanies(const std::vector<store::TerminalRecord>& companies);
    void showCompany(int row);
    void show(const store::TerminalRecord& company);
    void showFirstCompany();
    void setState(EditState state);
    void startEditing();
    void write(store::CompanyWrite how);
    // The operator's change to MAXCHAR or PAGEPHONE, corrected as it is typed.
    void correctMaxChars(const QString& text);
    void correctPhone(const QString& text);

    void setForm(const store::CompanyForm& form);
    store::CompanyForm form() const;

    std::unique_ptr<store::RecordFile> m_file;
    // The record last shown: an unlisted parity text keeps its parity, and update and delete check it is still
    // where it was.
    store::TerminalRecord m_lastShown;
    QListWidget* m_list = nullptr;
    QLabel* m_count = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_maxChars = nullptr;
    QLineEdit* m_password = nullptr;
    std::map<store::CompanyChoice, DropDownBox*> m_choices;
    EditButtons m_buttons;
};

} // namespace tolvane::ui
