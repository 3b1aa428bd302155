#pragma once

#include "store/data_folder.h"

#include <QWidget>

class QTabWidget;

namespace tolvane::platform {
class DialogService;
}

namespace tolvane::ui {

class CompaniesTab;
class DirectoryTab;
class GroupsTab;
class UsersTab;

// The directory editor "Setup": users, paging companies and groups, one tab each, in the directory files
// of the folder in use (the shared folder when one is set). Modeless; created once and afterwards shown
// and hidden. Showing it fills the chosen tab; choosing another tab, "&OK" and the close box close the
// files a tab keeps open. Closing while a record is being typed asks first. Every box and question goes through the
// dialog service.
//
// Wiring in the program:
//     auto* setup = new ui::SetupWindow(window.dataFolder(), dialogs, &window);
//     QObject::connect(setup, &ui::SetupWindow::directoryChanged, [&] { desk.refreshDirectory(); });
//     QObject::connect(&watcher, &platform::DirectoryWatcher::changed, setup, &ui::SetupWindow::refresh);
class SetupWindow : public QWidget {
    Q_OBJECT

public:
    SetupWindow(const store::DataFolder& folder, platform::DialogService& dialogs, QWidget* parent = nullptr);

    UsersTab* usersTab() const { return m_users; }
    CompaniesTab* companiesTab() const { return m_companies; }
    GroupsTab* groupsTab() const { return m_groups; }
    QTabWidget* tabs() const { return m_tabs; }

    void closeWindow();
    // The directory files changed elsewhere (another workstation, a sort) or are now another folder's (a
    // network setup): the tab shown reads them again. In the same folder it keeps the record shown and any
    // typing; in another folder it starts afresh, its files closed and opened there.
    void refresh();

Q_SIGNALS:
    // After every change this window writes to USERS.DAT, GROUP.DAT or TERMINAL.DAT.
    void directoryChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Closing with a record half typed asks first: Escape is easily pressed.
    void closeEvent(QCloseEvent* event) override;

private:
    // The tab switch: close every tab's files, then fill the chosen one.
    void changeTab(int index);
    void leaveAll();

    QTabWidget* m_tabs = nullptr;
    UsersTab* m_users = nullptr;
    CompaniesTab* m_companies = nullptr;
    GroupsTab* m_groups = nullptr;
    bool m_centred = false;
    const store::DataFolder& m_folder;
    platform::DialogService& m_dialogs;
    // The shared folder the tabs last read.
    std::string m_filledFolder;
};

} // namespace tolvane::ui
